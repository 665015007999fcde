#pragma once

#include "preferences/ObservationOption.h"
#include "preferences/RegisteredObservation.h"

#include <functional>
#include <memory>
#include <vector>

namespace Defaults {

// Observes several (database, key) pairs and calls one handler for a change of any of them. A
// pair listed twice is registered twice, so its changes call the handler twice.
class CompositeUserDefaultsKeyObservation final : public Detail::RegisteredObservation
{
public:
    static std::shared_ptr<CompositeUserDefaultsKeyObservation> create(
        std::vector<Target> pairs, std::function<void()> handler);

    void start(const ObservationOptions &options) { RegisteredObservation::start(kvoOptions(options)); }

private:
    CompositeUserDefaultsKeyObservation(std::vector<Target> pairs, std::function<void()> handler);
};

} // namespace Defaults
