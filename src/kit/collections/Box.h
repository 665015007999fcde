#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/Describe.h"
#include "kit/collections/Identifiable.h"

#include <QString>

#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

// A value behind a reference, shared by whoever holds the box. Comparison, equality, hashing and
// identity are those of the value, never of the box.
template<typename Value, bool Mutable>
class BasicBox final
{
public:
    explicit BasicBox(Value value)
        : m_wrappedValue(std::move(value))
    { }

    const Value &wrappedValue() const { return m_wrappedValue; }
    Value &wrappedValue() requires Mutable { return m_wrappedValue; }
    void setWrappedValue(Value value) requires Mutable { m_wrappedValue = std::move(value); }

    AnyHashable id() const requires Identifiable<Value> { return AnyHashable(m_wrappedValue.id()); }

    QString description() const { return describeValue(m_wrappedValue); }
    QString debugDescription() const
    {
        return (Mutable ? QStringLiteral("MutableBox(") : QStringLiteral("Box(")) + description()
            + QLatin1Char(')');
    }

    friend bool operator==(
        const BasicBox &left, const BasicBox &right) requires std::equality_comparable<Value>
    {
        return left.m_wrappedValue == right.m_wrappedValue;
    }
    friend bool operator<(const BasicBox &left, const BasicBox &right) requires std::totally_ordered<Value>
    {
        return left.m_wrappedValue < right.m_wrappedValue;
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
    Value m_wrappedValue;
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
