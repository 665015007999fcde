#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/HashCombine.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

// A value paired with an identifier, which is fixed at creation. Members of the value are
// reached through `->`.
template<HashableValue ID, typename Value>
class Identified
{
public:
    Identified(Value value, ID id)
        : m_id(std::move(id))
        , m_value(std::move(value))
    { }

    // The identifier read from the value once, by a callable or a member pointer.
    template<typename IdOf>
    requires std::is_invocable_r_v<ID, IdOf, const Value &> Identified(Value value, IdOf idOf)
        : m_id(std::invoke(idOf, std::as_const(value)))
        , m_value(std::move(value))
    { }

    const ID &id() const { return m_id; }
    const Value &value() const { return m_value; }
    Value &value() { return m_value; }
    void setValue(Value value) { m_value = std::move(value); }

    const Value *operator->() const { return &m_value; }
    Value *operator->() { return &m_value; }

    // Different identifiers are never equal, whatever the values.
    friend bool operator==(
        const Identified &left, const Identified &right) requires std::equality_comparable<Value>
    {
        return left.m_id == right.m_id && left.m_value == right.m_value;
    }

private:
    ID m_id;
    Value m_value;
};

template<typename ID, typename Value>
requires HashableValue<Value>
struct std::hash<Identified<ID, Value>>
{
    std::size_t operator()(const Identified<ID, Value> &identified) const
    {
        std::size_t seed = hashOf(identified.id());
        hashCombine(seed, hashOf(identified.value()));
        return seed;
    }
};
