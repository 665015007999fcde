#pragma once

#include "preferences/Defaults.h"

#include <initializer_list>
#include <optional>
#include <vector>

namespace Defaults {

// The layout values are migrated to; 5 is the only one.
enum class Version { v5 = 5 };
std::optional<Version> versionFromRawValue(int rawValue);

// What a value's old JSON text held, and how that becomes the value: the value itself, except
// that an optional's text held the wrapped value. A type stored as JSON under another type can
// specialise this with `CodableForm` and `toNative`.
template<class V>
struct DefaultsMigrationForm
{
    using CodableForm = V;
    static V toNative(CodableForm &&value) { return std::move(value); }
};
template<class T>
struct DefaultsMigrationForm<std::optional<T>>
{
    using CodableForm = typename DefaultsMigrationForm<T>::CodableForm;
    static std::optional<T> toNative(CodableForm &&value)
    {
        return DefaultsMigrationForm<T>::toNative(std::move(value));
    }
};

template<class V>
concept DefaultsMigratable
    = DefaultsSerializable<V> && JsonCodable<typename DefaultsMigrationForm<V>::CodableForm>;

// Rewrites a value still stored as JSON text in its stored form of today. Only a stored text is
// looked at; text that does not decode (or is no UTF-8) stays as it is. The version is not
// consulted: there is one layout.
template<DefaultsMigratable V>
void migrate(const Key<V> &key, Version = Version::v5)
{
    UserDefaults &suite = *key.suite();
    const std::optional<std::string> text = suite.string(key.name());
    if (!text) {
        return;
    }
    using Form = typename DefaultsMigrationForm<V>::CodableForm;
    std::optional<Form> decoded = decodeOptional<Form>(QByteArrayView(*text));
    if (!decoded) {
        return;
    }
    setValue(suite, key.name(), V(DefaultsMigrationForm<V>::toNative(std::move(*decoded))));
}

template<DefaultsMigratable V>
void migrate(std::initializer_list<std::reference_wrapper<const Key<V>>> keys, Version version = Version::v5)
{
    for (const Key<V> &key : keys) {
        migrate(key, version);
    }
}

template<DefaultsMigratable V>
void migrate(const std::vector<std::reference_wrapper<const Key<V>>> &keys, Version version = Version::v5)
{
    for (const Key<V> &key : keys) {
        migrate(key, version);
    }
}

} // namespace Defaults
