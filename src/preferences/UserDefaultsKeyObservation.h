#pragma once

#include "preferences/ObservationOption.h"
#include "preferences/RegisteredObservation.h"

#include <memory>
#include <string>

namespace Defaults {

// Observes one key of one database and hands each change to a callback, synchronously, on the
// thread that changed the value. Creating it registers nothing; start() does.
class UserDefaultsKeyObservation final : public Detail::RegisteredObservation
{
public:
    static std::shared_ptr<UserDefaultsKeyObservation> create(
        const std::shared_ptr<UserDefaults> &object, std::string key, Callback callback);

    void start(const ObservationOptions &options) { RegisteredObservation::start(kvoOptions(options)); }

private:
    UserDefaultsKeyObservation(
        const std::shared_ptr<UserDefaults> &object, std::string key, Callback callback);
};

} // namespace Defaults
