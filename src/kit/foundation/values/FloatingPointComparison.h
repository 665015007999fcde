#pragma once

#include <algorithm>
#include <cmath>
#include <concepts>
#include <limits>

namespace FloatingPointComparison {

template<std::floating_point T>
constexpr T defaultTolerance()
{
    return static_cast<T>(std::sqrt(std::numeric_limits<T>::epsilon()));
}

template<std::floating_point T>
bool finiteAlmostEqual(T x, T y, T tolerance)
{
    const T scale = std::max({ std::abs(x), std::abs(y), std::numeric_limits<T>::min() });
    return std::abs(x - y) < scale * tolerance;
}

// Infinities compare by moving both values into the finite range: x to the
// largest binade with its sign, y halved.
template<std::floating_point T>
bool rescaledAlmostEqual(T x, T y, T tolerance)
{
    if (std::isnan(x) || std::isnan(y)) {
        return false;
    }
    if (std::isinf(x)) {
        if (std::isinf(y)) {
            return x == y;
        }
        const T largestBinade = std::copysign(std::ldexp(T(1), std::numeric_limits<T>::max_exponent - 1), x);
        return finiteAlmostEqual(largestBinade, std::ldexp(y, -1), tolerance);
    }
    return rescaledAlmostEqual(y, x, tolerance);
}

} // namespace FloatingPointComparison

// Equal within a tolerance relative to the larger magnitude (never below the
// least normal magnitude, so tiny numbers near zero still compare sensibly).
template<std::floating_point T>
bool isAlmostEqual(T x, T y, T tolerance = FloatingPointComparison::defaultTolerance<T>())
{
    if (std::isfinite(x) && std::isfinite(y)) {
        return FloatingPointComparison::finiteAlmostEqual(x, y, tolerance);
    }
    return FloatingPointComparison::rescaledAlmostEqual(x, y, tolerance);
}

template<std::floating_point T>
bool isAlmostZero(T x, T absoluteTolerance = FloatingPointComparison::defaultTolerance<T>())
{
    return std::abs(x) < absoluteTolerance;
}
