#pragma once

#include "preferences/KeyChange.h"
#include "preferences/UpdateStream.h"
#include "preferences/UserDefaultsKeyObservation.h"

#include <memory>

namespace Defaults {

// The key's values as they change (never change records); with `initial` the current value
// comes first. One observation per stream, stopped when the stream ends.
template<DefaultsSerializable V>
UpdateStream<V> updateStream(const Key<V> &key, bool initial)
{
    auto channel = std::make_shared<Detail::UpdateChannel<V>>();
    auto observation = UserDefaultsKeyObservation::create(
        key.suite(), key.name(), [channel, key](const BaseChange &change) {
            channel->yield(KeyChange<V>(change, key.defaultValue()).newValue);
        });
    observation->start(initial ? ObservationOptions { ObservationOption::Initial } : ObservationOptions {});
    channel->setOnTermination([observation] { observation->invalidate(); });
    return UpdateStream<V>(std::move(channel));
}

} // namespace Defaults
