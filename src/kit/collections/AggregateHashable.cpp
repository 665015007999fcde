#include "kit/collections/AggregateHashable.h"

#include "kit/collections/HashCombine.h"

#include <utility>

namespace {

std::size_t hashOf(const std::vector<AnyHashable> &elements)
{
    std::size_t seed = elements.size();
    for (const AnyHashable &element : elements) {
        hashCombine(seed, element.hash());
    }
    return seed;
}

} // namespace

AggregateHashable::AggregateHashable(std::vector<AnyHashable> elements)
    : m_elements(std::move(elements))
    , m_cachedHashValue(hashOf(m_elements))
{ }
