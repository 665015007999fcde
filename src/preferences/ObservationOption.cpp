#include "preferences/ObservationOption.h"

namespace Defaults {

KeyValueObservingOptions kvoOptions(const ObservationOptions &options)
{
    const KeyValueObservingOptions base = KeyValueObservingOption::New | KeyValueObservingOption::Old;
    if (options.contains(ObservationOption::Initial)) {
        return base | KeyValueObservingOption::Initial;
    }
    if (options.contains(ObservationOption::Prior)) {
        return base | KeyValueObservingOption::Prior;
    }
    return base;
}

} // namespace Defaults
