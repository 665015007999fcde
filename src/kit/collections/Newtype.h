#pragma once

#include "kit/collections/AnyHashable.h"

#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

// A distinct type around a raw value: derive `struct Meters : Newtype<Meters, double>` and use
// `using Newtype::Newtype;`. Equality, ordering and hashing are the raw value's.
template<typename Derived, typename RawValue>
class Newtype
{
public:
    using Raw = RawValue;

    explicit Newtype(RawValue rawValue)
        : m_rawValue(std::move(rawValue))
    { }

    const RawValue &rawValue() const { return m_rawValue; }

    friend bool operator==(
        const Derived &left, const Derived &right) requires std::equality_comparable<RawValue>
    {
        return left.rawValue() == right.rawValue();
    }
    friend bool operator<(const Derived &left, const Derived &right) requires std::totally_ordered<RawValue>
    {
        return left.rawValue() < right.rawValue();
    }

private:
    RawValue m_rawValue;
};

template<typename T>
concept IsNewtype = requires(const T &value)
{
    typename T::Raw;
    requires std::derived_from<T, Newtype<T, typename T::Raw>>;
};

template<typename T>
requires IsNewtype<T> && HashableValue<typename T::Raw>
struct std::hash<T>
{
    std::size_t operator()(const T &value) const { return hashOf(value.rawValue()); }
};
