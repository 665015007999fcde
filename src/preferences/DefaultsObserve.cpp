#include "preferences/DefaultsObserve.h"

namespace Defaults {

std::shared_ptr<DefaultsObservation> observe(const std::vector<std::reference_wrapper<const Keys>> &keys,
    const ObservationOptions &options, std::function<void()> handler)
{
    std::vector<Detail::RegisteredObservation::Target> pairs;
    pairs.reserve(keys.size());
    for (const Keys &key : keys) {
        pairs.push_back({ key.suite(), key.name() });
    }
    auto observation = CompositeUserDefaultsKeyObservation::create(std::move(pairs), std::move(handler));
    observation->start(options);
    return observation;
}

} // namespace Defaults
