#include "preferences/UserDefaultsKeyObservation.h"

#include <utility>

namespace Defaults {

std::shared_ptr<UserDefaultsKeyObservation> UserDefaultsKeyObservation::create(
    const std::shared_ptr<UserDefaults> &object, std::string key, Callback callback)
{
    return std::shared_ptr<UserDefaultsKeyObservation>(
        new UserDefaultsKeyObservation(object, std::move(key), std::move(callback)));
}

UserDefaultsKeyObservation::UserDefaultsKeyObservation(
    const std::shared_ptr<UserDefaults> &object, std::string key, Callback callback)
    : RegisteredObservation({ Target { object, std::move(key) } }, std::move(callback))
{ }

} // namespace Defaults
