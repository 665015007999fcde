#include "preferences/DefaultsMigration.h"

namespace Defaults {

std::optional<Version> versionFromRawValue(int rawValue)
{
    if (rawValue == static_cast<int>(Version::v5)) {
        return Version::v5;
    }
    return std::nullopt;
}

} // namespace Defaults
