#pragma once

#include "kit/collections/AnyHashable.h"

#include <iterator>
#include <ranges>
#include <type_traits>
#include <utility>

// Sequences of (key, value) pairs, whatever holds them: standard maps, ordered and atomic
// dictionaries, vectors of pairs. They name what generic code over such pairs may ask of its
// argument, and carry no operations of their own.
template<typename S>
concept KeyValueSequence
    = std::ranges::input_range<const S> && requires(std::ranges::range_reference_t<const S> pair)
{
    pair.first;
    pair.second;
};

template<KeyValueSequence S>
using KeyValueKey
    = std::remove_cvref_t<decltype(std::declval<std::ranges::range_reference_t<const S>>().first)>;
template<KeyValueSequence S>
using KeyValueValue
    = std::remove_cvref_t<decltype(std::declval<std::ranges::range_reference_t<const S>>().second)>;

template<typename S>
concept HashableKeyValueSequence = KeyValueSequence<S> && HashableValue<KeyValueKey<S>>;

// Collections can be walked more than once and know their size.
template<typename S>
concept KeyValueCollection
    = KeyValueSequence<S> && std::ranges::forward_range<const S> && std::ranges::sized_range<const S>;

template<typename S>
concept HashableKeyValueCollection = HashableKeyValueSequence<S> && KeyValueCollection<S>;
