#pragma once

#include "kit/foundation/errors/NSError.h"

#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <set>
#include <source_location>

namespace KwApp {

// An error the program does not report, by the domain and code of its platform form.
struct IgnoredError
{
    QString domain;
    qint64 code = 0;

    friend bool operator==(const IgnoredError &, const IgnoredError &) = default;
    friend bool operator<(const IgnoredError &a, const IgnoredError &b)
    {
        return a.domain != b.domain ? a.domain < b.domain : a.code < b.code;
    }
};

// Empty at start. Any thread.
std::set<IgnoredError> ignoredErrors();
void setIgnoredErrors(std::set<IgnoredError> errors);

// Must answer true for an error to be reported; at start it answers true for every error.
using ErrorReportFilter = std::function<bool(const Error &)>;
void setErrorReportFilter(ErrorReportFilter filter);

// What reportError hands to the crash reporting, or none when it drops the error: a
// cancellation, then an ignored error (the error itself or one of its underlying errors, one
// level down), then one the filter refuses. The user info gains "file" (the file name alone),
// "line", "fileLine", "codeString" (the code as text) and the custom debug entries. An error
// with code 1 has its name (its description; empty when it has none) appended to the domain
// after " - " and gets messageCode() of that name as its code, so that different messages of
// one domain are told apart.
std::optional<NSError> errorReport(
    const Error &error, const QVariantMap &userInfo, const QString &file, int line);

// Sends the error to the crash reporting. Returns at once, never throws, shows nothing; any thread.
void reportError(const Error &error, const QVariantMap &userInfo, const QString &file, int line);

inline void reportError(const Error &error, const QVariantMap &userInfo = {},
    std::source_location location = std::source_location::current())
{
    reportError(error, userInfo, QString::fromUtf8(location.file_name()), static_cast<int>(location.line()));
}

} // namespace KwApp
