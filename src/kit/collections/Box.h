#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/Describe.h"
#include "kit/collections/Identifiable.h"

#include <QString>

#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

// A value behind a reference, shared by whoever holds the box: a copy of the box is another
// reference to the same value, so a change made through one copy is seen through all. Comparison,
// equality, hashing and identity are those of the value, never of the box.
template<typename Value, bool Mutable>
class BasicBox final
{
public:
    explicit BasicBox(Value value)
        : m_storage(std::make_shared<Value>(std::move(value)))
    { }
    // Declared so that a move copies the reference too: no box is ever left without a value.
    BasicBox(const BasicBox &) = default;
    BasicBox &operator=(const BasicBox &) = default;

    const Value &wrappedValue() const { return *m_storage; }
    Value &wrappedValue() requires Mutable { return *m_storage; }
    void setWrappedValue(Value value) requires Mutable { *m_storage = std::move(value); }

    AnyHashable id() const requires Identifiable<Value> { return AnyHashable(wrappedValue().id()); }

    QString description() const { return describeValue(wrappedValue()); }
    QString debugDescription() const
    {
        return (Mutable ? QStringLiteral("MutableBox(") : QStringLiteral("Box(")) + description()
            + QLatin1Char(')');
    }

    friend bool operator==(
        const BasicBox &left, const BasicBox &right) requires std::equality_comparable<Value>
    {
        return left.wrappedValue() == right.wrappedValue();
    }
    friend bool operator<(const BasicBox &left, const BasicBox &right) requires std::totally_ordered<Value>
    {
        return left.wrappedValue() < right.wrappedValue();
    }
    friend bool operator>(const BasicBox &left, const BasicBox &right) requires std::totally_ordered<Value>
    {
        return right < left;
    }
    friend bool operator<=(const BasicBox &left, const BasicBox &right) requires std::totally_ordered<Value>
    {
        return !(right < left);
    }
    friend bool operator>=(const BasicBox &left, const BasicBox &right) requires std::totally_ordered<Value>
    {
        return !(left < right);
    }

private:
    std::shared_ptr<Value> m_storage;
};

template<typename Value>
using Box = BasicBox<Value, false>;

template<typename Value>
using MutableBox = BasicBox<Value, true>;

template<typename Value, bool Mutable>
requires HashableValue<Value>
struct std::hash<BasicBox<Value, Mutable>>
{
    std::size_t operator()(const BasicBox<Value, Mutable> &box) const { return hashOf(box.wrappedValue()); }
};
