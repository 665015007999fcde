#pragma once

#include "kit/foundation/values/SortOrder.h"

#include <functional>
#include <utility>

// One step of a multi-key sort: how two values compare by one derived value.
template<typename Value>
struct SortDescriptor
{
    std::function<ComparisonResult(const Value &, const Value &)> compare;

    // By the value a projection (a member pointer or any callable) gives, ascending.
    template<typename Projection>
    static SortDescriptor forward(Projection projection)
    {
        return { [projection = std::move(projection)](const Value &a, const Value &b) {
            return SortOrdering::compare(std::invoke(projection, a), std::invoke(projection, b));
        } };
    }

    // By the value a projection gives, descending.
    template<typename Projection>
    static SortDescriptor reverse(Projection projection)
    {
        return { [projection = std::move(projection)](const Value &a, const Value &b) {
            return SortOrdering::compare(std::invoke(projection, b), std::invoke(projection, a));
        } };
    }
};
