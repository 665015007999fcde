#pragma once

#include "preferences/CompositeUserDefaultsKeyObservation.h"
#include "preferences/KeyChange.h"
#include "preferences/UserDefaultsKeyObservation.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace Defaults {

// Calls `handler` with each change of the key, synchronously on the thread that made it; with
// Initial once before this returns. The observation runs while the returned handle (or the
// owner it is bound to) is held.
template<DefaultsSerializable V>
std::shared_ptr<DefaultsObservation> observe(const Key<V> &key, const ObservationOptions &options,
    std::type_identity_t<std::function<void(const KeyChange<V> &)>> handler)
{
    auto observation = UserDefaultsKeyObservation::create(
        key.suite(), key.name(), [key, handler = std::move(handler)](const BaseChange &change) {
            handler(KeyChange<V>(change, key.defaultValue()));
        });
    observation->start(options);
    return observation;
}

// Calls `handler` for each change of any of the keys; a key listed twice calls it twice.
std::shared_ptr<DefaultsObservation> observe(const std::vector<std::reference_wrapper<const Keys>> &keys,
    const ObservationOptions &options, std::function<void()> handler);

} // namespace Defaults
