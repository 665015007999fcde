#include "app/AppLogging.h"

Q_LOGGING_CATEGORY(appLog, "tapewick.app", QtInfoMsg)
Q_LOGGING_CATEGORY(statusItemLog, "tapewick.statusitem", QtInfoMsg)

void AppLogging::configure(bool verbose)
{
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    if (verbose) {
        QLoggingCategory::setFilterRules(QStringLiteral("tapewick.*.debug=true"));
    }
}
