#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/Void.h"
#include "preferences/KeyChange.h"
#include "preferences/ObservationOption.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Defaults {

// The changes of one stored key, untyped. Each subscription owns one observation, started when
// it subscribes (with Initial, the first change arrives before subscribe() returns) and ended by
// its cancellable. Changes come on the thread that made them, whatever demand; it never fails.
Events::AnyPublisher<BaseChange> changesPublisher(
    const std::shared_ptr<UserDefaults> &suite, const std::string &key, const ObservationOptions &options);

// The key's changes as typed records.
template<DefaultsSerializable V>
Events::AnyPublisher<KeyChange<V>> publisher(const Key<V> &key, const ObservationOptions &options = {})
{
    return changesPublisher(key.suite(), key.name(), options).map([key](const BaseChange &change) {
        return KeyChange<V>(change, key.defaultValue());
    });
}

// One bare signal per change of any of the keys; never completes, also for no keys.
Events::AnyPublisher<Events::Void> publisher(
    const std::vector<std::reference_wrapper<const Keys>> &keys, const ObservationOptions &options = {});

} // namespace Defaults
