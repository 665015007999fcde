#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// 64-bit conversions and arithmetic that clamp at the range ends instead of
// overflowing: time spans and byte counts come from outside data (files, the
// clock, the recorder) and must never turn into undefined behaviour.
namespace SaturatingInt64 {

inline constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
inline constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();

// NaN has no count; zero is the neutral answer.
inline std::int64_t fromDoubleTruncating(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) {
        return max;
    }
    if (value < -limit) {
        return min;
    }
    return static_cast<std::int64_t>(value);
}

inline std::int64_t fromDoubleRounding(double value)
{
    return fromDoubleTruncating(std::isfinite(value) ? std::round(value) : value);
}

inline std::int64_t add(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) {
        return b > 0 ? max : min;
    }
    return result;
}

inline std::int64_t subtract(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) {
        return b < 0 ? max : min;
    }
    return result;
}

inline std::int64_t multiply(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) {
        return (a < 0) != (b < 0) ? min : max;
    }
    return result;
}

} // namespace SaturatingInt64
