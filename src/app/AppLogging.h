#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(appLog)
Q_DECLARE_LOGGING_CATEGORY(statusItemLog)

namespace AppLogging {

// Warnings and above go to stderr (and the journal when the session captures it); `verbose`
// adds every category's debug messages.
void configure(bool verbose);

} // namespace AppLogging
