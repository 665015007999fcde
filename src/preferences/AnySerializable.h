#pragma once

#include "preferences/DefaultsSerializable.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

namespace Defaults {

// A storable value of no fixed type: it holds a value already in its stored form, or nothing
// (the empty marker, which is no property-list object). Writing one that holds nothing to a key
// removes the key, as writing an empty optional does.
//
// Equality and hashing go by kinds in a fixed order (data, date, Boolean, the integer kinds from
// 8 to 64 bits, float, double, text, dictionary, array); the first kind to which both values cast
// decides. Numbers cast exactly, as stored numbers do, so 1 equals true and 5 equals 5.0.
class AnySerializable
{
public:
    // Holds nothing.
    AnySerializable() = default;

    // Literals: text, Boolean, integer and floating-point values are stored as they are.
    AnySerializable(const char *text)
        : m_value(PropertyValue(text))
    { }
    template<class V>
    requires(!std::same_as<std::remove_cvref_t<V>, AnySerializable> && DefaultsSerializable<V>)
        AnySerializable(const V &value)
        : m_value(toSerializable(value))
    { }

    // An array literal: the elements' stored forms in order (elements holding nothing are left
    // out, as the database cannot hold them).
    static AnySerializable array(std::initializer_list<AnySerializable> elements);
    // A dictionary literal; a repeated key is a programming error and stops the program.
    static AnySerializable dictionary(std::initializer_list<std::pair<std::string, AnySerializable>> entries);
    // Wraps a stored object; none gives a value holding nothing.
    static AnySerializable fromStored(std::optional<PropertyValue> object);

    template<DefaultsSerializable V>
    std::optional<V> get() const
    {
        if constexpr (std::same_as<V, AnySerializable>) {
            return *this;
        } else {
            if (!m_value) {
                return std::nullopt;
            }
            return toValue<V>(*m_value);
        }
    }

    template<DefaultsSerializable V>
    void set(const V &value)
    {
        if constexpr (std::same_as<V, AnySerializable>) {
            m_value = value.m_value;
        } else {
            m_value = toSerializable(value);
        }
    }

    bool isNil() const { return !m_value.has_value(); }
    const std::optional<PropertyValue> &value() const { return m_value; }

    friend bool operator==(const AnySerializable &lhs, const AnySerializable &rhs);
    std::size_t hash() const;

private:
    std::optional<PropertyValue> m_value;
};

struct AnyBridge
{
    using Value = AnySerializable;
    using Serializable = PropertyValue;

    // The wrapped stored form unchanged; a value holding nothing has no stored form.
    static std::optional<PropertyValue> serialize(const std::optional<AnySerializable> &value)
    {
        if (!value) {
            return std::nullopt;
        }
        return value->value();
    }
    // Always a value: a missing object gives one holding nothing.
    static std::optional<AnySerializable> deserialize(const std::optional<PropertyValue> &object)
    {
        return AnySerializable::fromStored(object);
    }
};

} // namespace Defaults

template<>
struct DefaultsSerializableTraits<Defaults::AnySerializable>
{
    using Bridge = Defaults::AnyBridge;
    static constexpr bool isNativelySupportedType = false;
};

template<>
struct std::hash<Defaults::AnySerializable>
{
    std::size_t operator()(const Defaults::AnySerializable &value) const { return value.hash(); }
};
