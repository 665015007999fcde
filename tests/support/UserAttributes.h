#pragma once

#include <QString>

namespace TestSupport {

// A directory whose file system keeps user extended attributes (tmpfs may not): the build tree,
// the home folder or /var/tmp; empty when none does, which a test must treat as a failure.
QString directoryWithUserAttributes();

} // namespace TestSupport
