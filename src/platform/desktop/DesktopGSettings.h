#pragma once

#include "platform/desktop/GLibIncludes.h"

namespace DesktopGSettings {

// The settings of `schemaId` when that schema is installed and has `key`, else null (GSettings
// aborts the process on an unknown schema or key). The caller owns the reference.
GSettings *open(const char *schemaId, const char *key);

} // namespace DesktopGSettings
