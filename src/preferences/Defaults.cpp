#include "preferences/Defaults.h"

namespace Defaults {

void reset(std::initializer_list<std::reference_wrapper<const Keys>> keys)
{
    for (const Keys &key : keys) {
        key.reset();
    }
}

void reset(const std::vector<std::reference_wrapper<const Keys>> &keys)
{
    for (const Keys &key : keys) {
        key.reset();
    }
}

void reset(const std::vector<std::string> &names, UserDefaults &suite)
{
    for (const std::string &name : names) {
        suite.removeObject(name);
    }
}

void removeAll(UserDefaults &suite)
{
    suite.removeAll();
}

} // namespace Defaults
