#pragma once

#include "platform/userdefaults/KeyValueChange.h"

#include <set>

namespace Defaults {

enum class ObservationOption {
    // Deliver the current value at once when observation starts.
    Initial,
    // Deliver an extra notice before each change.
    Prior,
};

using ObservationOptions = std::set<ObservationOption>;

// New and old values are always asked for; Initial wins over Prior, the two are never combined.
KeyValueObservingOptions kvoOptions(const ObservationOptions &options);

} // namespace Defaults
