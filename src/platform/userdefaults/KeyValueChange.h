#pragma once

#include "platform/userdefaults/PropertyValue.h"

#include <cstdint>
#include <functional>
#include <optional>

class UserDefaults;

// Observing options, with the bit values of the key-value observing they stand in for.
enum class KeyValueObservingOption : unsigned {
    New = 1,
    Old = 2,
    Initial = 4,
    Prior = 8,
};
using KeyValueObservingOptions = unsigned;

constexpr KeyValueObservingOptions operator|(KeyValueObservingOption a, KeyValueObservingOption b)
{
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr KeyValueObservingOptions operator|(KeyValueObservingOptions a, KeyValueObservingOption b)
{
    return a | static_cast<unsigned>(b);
}
constexpr bool hasOption(KeyValueObservingOptions options, KeyValueObservingOption option)
{
    return (options & static_cast<unsigned>(option)) != 0;
}

// The kind of a change; a user-defaults key only ever changes by being set.
enum class KeyValueChangeKind { Setting = 1 };

// One notification of an observed key. A value that is absent, or was not asked for with the
// New/Old options, is none; a removed value is none too (there is no null object here).
struct KeyValueChange
{
    UserDefaults *object = nullptr;
    std::string key;
    KeyValueChangeKind kind = KeyValueChangeKind::Setting;
    std::optional<PropertyValue> newValue;
    std::optional<PropertyValue> oldValue;
    bool isPrior = false;
};

using KeyValueObserver = std::function<void(const KeyValueChange &)>;
using KeyValueObserverId = std::uint64_t;
