#pragma once

#include <cmath>
#include <concepts>

enum class SortOrder { forward, reverse };

enum class ComparisonResult { orderedAscending = -1, orderedSame = 0, orderedDescending = 1 };

namespace SortOrdering {

// `<` made a strict weak ordering for floating values too: NaN sorts after
// every number and all NaNs are equivalent. A bare `<` makes NaN equivalent to
// every number, which breaks the ordering the sort algorithms rely on.
template<typename T>
bool lessThan(const T &a, const T &b)
{
    if constexpr (std::floating_point<T>) {
        if (std::isnan(a)) {
            return false;
        }
        if (std::isnan(b)) {
            return true;
        }
    }
    return a < b;
}

template<typename T>
bool before(const T &a, const T &b, SortOrder order)
{
    return order == SortOrder::forward ? lessThan(a, b) : lessThan(b, a);
}

template<typename T>
ComparisonResult compare(const T &a, const T &b)
{
    if (lessThan(a, b)) {
        return ComparisonResult::orderedAscending;
    }
    if (lessThan(b, a)) {
        return ComparisonResult::orderedDescending;
    }
    return ComparisonResult::orderedSame;
}

} // namespace SortOrdering
