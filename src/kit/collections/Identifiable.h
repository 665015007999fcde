#pragma once

#include "kit/collections/AnyHashable.h"

#include <concepts>
#include <cstddef>
#include <functional>

// A value with a stable identity of its own, given by `id()`.
template<typename T>
concept Identifiable = requires(const T &value)
{
    value.id();
    requires HashableValue<std::decay_t<decltype(value.id())>>;
};

template<Identifiable T>
using IdOf = std::decay_t<decltype(std::declval<const T &>().id())>;

// Derive from this to hash a value by its identity alone; equality stays the type's own.
struct HashableByIdentifiable
{
};

template<typename T>
requires std::derived_from<T, HashableByIdentifiable> && Identifiable<T>
struct std::hash<T>
{
    std::size_t operator()(const T &value) const { return hashOf(value.id()); }
};
