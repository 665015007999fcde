#pragma once

#include "platform/userdefaults/KeyValueChange.h"
#include "platform/userdefaults/PropertyValue.h"

#include <optional>

namespace Defaults {

// One change of a stored object, untyped: the values are the database's objects as they were
// delivered (none for an absent or removed value).
struct BaseChange
{
    KeyValueChangeKind kind = KeyValueChangeKind::Setting;
    bool isPrior = false;
    std::optional<PropertyValue> newValue;
    std::optional<PropertyValue> oldValue;

    static BaseChange from(const KeyValueChange &change);

    friend bool operator==(const BaseChange &, const BaseChange &) = default;
};

} // namespace Defaults
