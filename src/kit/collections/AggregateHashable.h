#pragma once

#include "kit/collections/AnyHashable.h"

#include <cstddef>
#include <functional>
#include <vector>

// A key made of an ordered list of hashable values; its hash is computed once.
class AggregateHashable
{
public:
    explicit AggregateHashable(std::vector<AnyHashable> elements);

    const std::vector<AnyHashable> &elements() const { return m_elements; }
    std::size_t cachedHashValue() const { return m_cachedHashValue; }

    friend bool operator==(const AggregateHashable &left, const AggregateHashable &right)
    {
        return left.m_elements == right.m_elements;
    }

private:
    std::vector<AnyHashable> m_elements;
    std::size_t m_cachedHashValue;
};

template<>
struct std::hash<AggregateHashable>
{
    std::size_t operator()(const AggregateHashable &key) const { return key.cachedHashValue(); }
};
