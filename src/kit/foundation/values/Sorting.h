#pragma once

#include "kit/foundation/values/SortDescriptor.h"
#include "kit/foundation/values/SortOrder.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <ranges>
#include <utility>
#include <vector>

// Sorts are stable: elements that compare the same keep their order.

// A sorted copy, by the value `getValue` returns for each element. It is asked
// once per element, before anything is ordered, so an exception it throws
// leaves nothing half done.
template<std::ranges::input_range Range, typename GetValue>
auto sortedByReturnValue(const Range &range, SortOrder order, GetValue getValue)
{
    using Element = std::ranges::range_value_t<Range>;
    using Key = std::decay_t<std::invoke_result_t<GetValue &, const Element &>>;
    std::vector<std::pair<Key, Element>> keyed;
    for (const auto &element : range) {
        keyed.emplace_back(std::invoke(getValue, element), element);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
        [order](const auto &a, const auto &b) { return SortOrdering::before(a.first, b.first, order); });
    std::vector<Element> sorted;
    sorted.reserve(keyed.size());
    for (auto &entry : keyed) {
        sorted.push_back(std::move(entry.second));
    }
    return sorted;
}

// Sorts in place by the value a projection (a member pointer or any callable) gives.
template<std::ranges::random_access_range Container, typename Projection>
void sortBy(Container &container, Projection projection, SortOrder order = SortOrder::forward)
{
    std::stable_sort(
        std::ranges::begin(container), std::ranges::end(container), [&](const auto &a, const auto &b) {
            return SortOrdering::before(std::invoke(projection, a), std::invoke(projection, b), order);
        });
}

namespace SortOrdering {

// a comes before b when the first descriptor that tells them apart says
// ascending; with no descriptor, or none that tells them apart, it does not.
template<typename Value>
bool before(const Value &a, const Value &b, const std::vector<SortDescriptor<Value>> &descriptors)
{
    for (const auto &descriptor : descriptors) {
        const ComparisonResult result = descriptor.compare(a, b);
        if (result != ComparisonResult::orderedSame) {
            return result == ComparisonResult::orderedAscending;
        }
    }
    return false;
}

} // namespace SortOrdering

template<std::ranges::random_access_range Container, typename Value>
void sortBy(Container &container, const std::vector<SortDescriptor<Value>> &descriptors)
{
    std::stable_sort(std::ranges::begin(container), std::ranges::end(container),
        [&](const Value &a, const Value &b) { return SortOrdering::before(a, b, descriptors); });
}

template<std::ranges::input_range Range, typename Value>
std::vector<std::ranges::range_value_t<Range>> sortedBy(
    const Range &range, const std::vector<SortDescriptor<Value>> &descriptors)
{
    std::vector<std::ranges::range_value_t<Range>> sorted(std::ranges::begin(range), std::ranges::end(range));
    sortBy(sorted, descriptors);
    return sorted;
}
