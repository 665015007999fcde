#include "preferences/CompositeUserDefaultsKeyObservation.h"

#include <utility>

namespace Defaults {

std::shared_ptr<CompositeUserDefaultsKeyObservation> CompositeUserDefaultsKeyObservation::create(
    std::vector<Target> pairs, std::function<void()> handler)
{
    return std::shared_ptr<CompositeUserDefaultsKeyObservation>(
        new CompositeUserDefaultsKeyObservation(std::move(pairs), std::move(handler)));
}

CompositeUserDefaultsKeyObservation::CompositeUserDefaultsKeyObservation(
    std::vector<Target> pairs, std::function<void()> handler)
    : RegisteredObservation(
        std::move(pairs), [handler = std::move(handler)](const BaseChange &) { handler(); })
{ }

} // namespace Defaults
