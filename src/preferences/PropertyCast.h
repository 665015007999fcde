#pragma once

#include "platform/userdefaults/PropertyValue.h"

#include <concepts>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Crossing between C++ values and the database's objects: `to` makes the object (none when the
// value has no object form), `from` is the cast of a stored object, none when it does not cast.
// Numbers cast exactly (PropertyValue::exactNumber); an array or dictionary casts only when every
// element does.
template<class T>
struct PropertyCast;

template<class T>
concept PropertyCastable = requires(const T &value, const PropertyValue &object)
{
    {
        PropertyCast<T>::to(value)
        } -> std::same_as<std::optional<PropertyValue>>;
    {
        PropertyCast<T>::from(object)
        } -> std::same_as<std::optional<T>>;
};

// The scalar types the database holds as they are.
template<class T>
concept PropertyScalar = (std::integral<T> && !std::same_as<T, char>)
    || std::floating_point<
        T> || std::same_as<T, std::string> || std::same_as<T, QByteArray> || std::same_as<T, PropertyDate>;

template<class T>
requires(std::integral<T> && !std::same_as<T, char>) || std::floating_point<T> struct PropertyCast<T>
{
    static std::optional<PropertyValue> to(T value) { return PropertyValue(value); }
    static std::optional<T> from(const PropertyValue &object) { return object.exactNumber<T>(); }
};

template<class T>
requires std::same_as<T, std::string> || std::same_as<T, QByteArray> || std::same_as<T, PropertyDate>
struct PropertyCast<T>
{
    static std::optional<PropertyValue> to(const T &value) { return PropertyValue(value); }
    static std::optional<T> from(const PropertyValue &object)
    {
        if (const T *value = object.as<T>()) {
            return *value;
        }
        return std::nullopt;
    }
};

template<>
struct PropertyCast<PropertyValue>
{
    static std::optional<PropertyValue> to(const PropertyValue &value) { return value; }
    static std::optional<PropertyValue> from(const PropertyValue &object) { return object; }
};

template<PropertyCastable T>
struct PropertyCast<std::optional<T>>
{
    static std::optional<PropertyValue> to(const std::optional<T> &value)
    {
        return value ? PropertyCast<T>::to(*value) : std::nullopt;
    }
    static std::optional<std::optional<T>> from(const PropertyValue &object)
    {
        std::optional<T> value = PropertyCast<T>::from(object);
        if (!value) {
            return std::nullopt;
        }
        return value;
    }
};

template<PropertyCastable T>
struct PropertyCast<std::vector<T>>
{
    static std::optional<PropertyValue> to(const std::vector<T> &values)
    {
        PropertyArray array;
        array.reserve(values.size());
        for (const T &value : values) {
            if (std::optional<PropertyValue> object = PropertyCast<T>::to(value)) {
                array.push_back(std::move(*object));
            }
        }
        return PropertyValue(std::move(array));
    }
    static std::optional<std::vector<T>> from(const PropertyValue &object)
    {
        const PropertyArray *array = object.as<PropertyArray>();
        if (array == nullptr) {
            return std::nullopt;
        }
        std::vector<T> values;
        values.reserve(array->size());
        for (const PropertyValue &element : *array) {
            std::optional<T> value = PropertyCast<T>::from(element);
            if (!value) {
                return std::nullopt;
            }
            values.push_back(std::move(*value));
        }
        return values;
    }
};

template<PropertyCastable T, class Compare>
struct PropertyCast<std::map<std::string, T, Compare>>
{
    static std::optional<PropertyValue> to(const std::map<std::string, T, Compare> &values)
    {
        PropertyDictionary dictionary;
        for (const auto &[key, value] : values) {
            if (std::optional<PropertyValue> object = PropertyCast<T>::to(value)) {
                dictionary.insert_or_assign(key, std::move(*object));
            }
        }
        return PropertyValue(std::move(dictionary));
    }
    static std::optional<std::map<std::string, T, Compare>> from(const PropertyValue &object)
    {
        const PropertyDictionary *dictionary = object.as<PropertyDictionary>();
        if (dictionary == nullptr) {
            return std::nullopt;
        }
        std::map<std::string, T, Compare> values;
        for (const auto &[key, element] : *dictionary) {
            std::optional<T> value = PropertyCast<T>::from(element);
            if (!value) {
                return std::nullopt;
            }
            values.emplace(key, std::move(*value));
        }
        return values;
    }
};
