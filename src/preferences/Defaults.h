#pragma once

#include "platform/userdefaults/UserDefaults.h"
#include "preferences/AnySerializable.h"
#include "preferences/DefaultsKey.h"
#include "preferences/DefaultsSerializable.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Typed access to the user-defaults database. Nothing is cached: every read asks the database and
// converts what it holds; a missing or unconvertible value reads as the key's default (and stays
// stored). Nothing here throws.
namespace Defaults {

// The value stored under `name`, converted to V; none when nothing usable is stored.
template<DefaultsSerializable V>
std::optional<V> getValue(const UserDefaults &suite, std::string_view name)
{
    std::optional<PropertyValue> object = suite.object(name);
    if (!object) {
        return std::nullopt;
    }
    return toValue<V>(*object);
}

// Stores the value's stored form under `name`; nothing (an empty optional, a value that does not
// serialise) removes the stored value.
template<DefaultsSerializable V>
void setValue(UserDefaults &suite, const std::string &name, const V &value)
{
    if (isNil(value)) {
        suite.removeObject(name);
        return;
    }
    suite.setObject(name, toSerializable(value));
}

// Reads and writes on `suite`, whatever database the key names; the key gives its name and default.
template<DefaultsSerializable V>
V get(const UserDefaults &suite, const Key<V> &key)
{
    std::optional<V> value = getValue<V>(suite, key.name());
    return value ? std::move(*value) : key.defaultValue();
}

template<DefaultsSerializable V>
void set(UserDefaults &suite, const Key<V> &key, const V &value)
{
    setValue(suite, key.name(), value);
}

template<DefaultsSerializable V>
V get(const Key<V> &key)
{
    return get(*key.suite(), key);
}

template<DefaultsSerializable V>
void set(const Key<V> &key, const V &value)
{
    set(*key.suite(), key, value);
}

// Lets `change` alter `value` in place and then hands it to `writeBack`, also when `change` throws.
// The change's exception then goes on to the caller, and one from the write-back (a throwing
// observer) is dropped; otherwise the write-back's own goes on.
template<class V, class Change, class WriteBack>
requires std::invocable<Change, V &> && std::invocable<WriteBack, const V &>
void changeThenWriteBack(V &value, Change &&change, WriteBack &&writeBack)
{
    try {
        std::invoke(std::forward<Change>(change), value);
    } catch (...) {
        try {
            std::invoke(writeBack, std::as_const(value));
        } catch (...) { }
        throw;
    }
    std::invoke(writeBack, std::as_const(value));
}

// Reads the value, lets `change` alter it in place and writes it back, also when `change` throws
// (see changeThenWriteBack).
template<DefaultsSerializable V, class Change>
requires std::invocable<Change, V &>
void modify(UserDefaults &suite, const Key<V> &key, Change &&change)
{
    V value = get(suite, key);
    changeThenWriteBack(
        value, std::forward<Change>(change), [&](const V &changed) { set(suite, key, changed); });
}

template<DefaultsSerializable V, class Change>
requires std::invocable<Change, V &>
void modify(const Key<V> &key, Change &&change)
{
    modify(*key.suite(), key, std::forward<Change>(change));
}

// Removes each key's stored value from its own database, in order.
void reset(std::initializer_list<std::reference_wrapper<const Keys>> keys);
void reset(const std::vector<std::reference_wrapper<const Keys>> &keys);
// Removes the values stored under the names from `suite`, in order.
void reset(const std::vector<std::string> &names, UserDefaults &suite);
// Removes every stored value of `suite`; registered defaults stay.
void removeAll(UserDefaults &suite);

// Reads a value out of a change record: none for no value, else the stored object converted.
template<DefaultsSerializable V>
std::optional<V> changeValue(const std::optional<PropertyValue> &object)
{
    if (!object) {
        return std::nullopt;
    }
    return toValue<V>(*object);
}

} // namespace Defaults
