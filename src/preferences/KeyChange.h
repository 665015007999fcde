#pragma once

#include "preferences/BaseChange.h"
#include "preferences/Defaults.h"

namespace Defaults {

// One change of a typed key. A value that is absent, removed or not readable as V is the key's
// default.
template<DefaultsSerializable V>
struct KeyChange
{
    KeyChange(const BaseChange &change, const V &defaultValue)
        : kind(change.kind)
        , isPrior(change.isPrior)
        , newValue(orDefault(change.newValue, defaultValue))
        , oldValue(orDefault(change.oldValue, defaultValue))
    { }

    KeyValueChangeKind kind;
    bool isPrior;
    V newValue;
    V oldValue;

    friend bool operator==(const KeyChange &, const KeyChange &) = default;

private:
    static V orDefault(const std::optional<PropertyValue> &object, const V &defaultValue)
    {
        std::optional<V> value = changeValue<V>(object);
        return value ? std::move(*value) : defaultValue;
    }
};

} // namespace Defaults
