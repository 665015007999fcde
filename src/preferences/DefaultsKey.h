#pragma once

#include "platform/userdefaults/UserDefaults.h"
#include "preferences/AnySerializable.h"
#include "preferences/DefaultsSerializable.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace Defaults {

// Value types whose "nothing" removes a key instead of storing it, and registers no default.
template<class V>
struct OptionalLike : std::false_type
{
};
template<class T>
struct OptionalLike<std::optional<T>> : std::true_type
{
};
template<>
struct OptionalLike<AnySerializable> : std::true_type
{
};

template<class V>
bool isNil(const V &value)
{
    if constexpr (Detail::IsOptional<V>::value) {
        return !value.has_value();
    } else if constexpr (std::same_as<V, AnySerializable>) {
        return value.isNil();
    } else {
        return false;
    }
}

// A stored setting's name and database. Keys are equal when their names are equal and they live
// in the same database.
class Keys
{
public:
    Keys(std::string name, std::shared_ptr<UserDefaults> suite);
    virtual ~Keys() = default;

    const std::string &name() const { return m_name; }
    const std::shared_ptr<UserDefaults> &suite() const { return m_suite; }

    // Removes the stored value; the registered default stays.
    void reset() const;

    friend bool operator==(const Keys &lhs, const Keys &rhs)
    {
        return lhs.m_name == rhs.m_name && lhs.m_suite == rhs.m_suite;
    }
    std::size_t hash() const;

private:
    std::string m_name;
    std::shared_ptr<UserDefaults> m_suite;
};

// A typed setting with its default. Declare each once, as a function-local static, so that it is
// created (and registers its default) on first use:
//
//     const Defaults::Key<bool> &losslessKey()
//     {
//         static const Defaults::Key<bool> key("lossless", false);
//         return key;
//     }
template<DefaultsSerializable V>
class Key : public Keys
{
public:
    using Value = V;

    Key(std::string name, V defaultValue, std::shared_ptr<UserDefaults> suite = UserDefaults::standard())
        : Keys(std::move(name), std::move(suite))
        , m_defaultValue(std::move(defaultValue))
    {
        if (isNil(m_defaultValue)) {
            return;
        }
        if (std::optional<PropertyValue> form = toSerializable(m_defaultValue)) {
            this->suite()->registerDefaults({ { this->name(), std::move(*form) } });
        }
    }

    // A key whose default is nothing; it registers nothing.
    explicit Key(std::string name,
        std::shared_ptr<UserDefaults> suite = UserDefaults::standard()) requires OptionalLike<V>::value
        : Key(std::move(name), V(), std::move(suite))
    { }

    const V &defaultValue() const { return m_defaultValue; }

private:
    V m_defaultValue;
};

} // namespace Defaults

template<>
struct std::hash<Defaults::Keys>
{
    std::size_t operator()(const Defaults::Keys &key) const { return key.hash(); }
};
