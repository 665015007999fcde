#include "kit/services/KwAppErrorReporting.h"

#include "kit/services/KwApp.h"

#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/MessageCode.h"
#include "platform/crashreport/CrashReporter.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>

Q_LOGGING_CATEGORY(lcErrorReports, "tapewick.errorreports")

namespace {

struct Settings
{
    QMutex mutex;
    std::set<KwApp::IgnoredError> ignored;
    KwApp::ErrorReportFilter filter;
};

Settings &settings()
{
    static Settings instance;
    return instance;
}

bool isIgnored(const Error &error, const std::set<KwApp::IgnoredError> &ignored)
{
    if (ignored.empty()) {
        return false;
    }
    const QList<ErrorPtr> underlying = error.underlyingErrors();
    for (const KwApp::IgnoredError &entry : ignored) {
        if (error.hasDomain(entry.domain, entry.code)) {
            return true;
        }
        for (const ErrorPtr &inner : underlying) {
            if (inner && inner->hasDomain(entry.domain, entry.code)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

std::set<KwApp::IgnoredError> KwApp::ignoredErrors()
{
    QMutexLocker locker(&settings().mutex);
    return settings().ignored;
}

void KwApp::setIgnoredErrors(std::set<IgnoredError> errors)
{
    QMutexLocker locker(&settings().mutex);
    settings().ignored = std::move(errors);
}

void KwApp::setErrorReportFilter(ErrorReportFilter filter)
{
    QMutexLocker locker(&settings().mutex);
    settings().filter = std::move(filter);
}

std::optional<NSError> KwApp::errorReport(
    const Error &error, const QVariantMap &userInfo, const QString &file, int line)
{
    if (error.isCancelled()) {
        return std::nullopt;
    }
    std::set<IgnoredError> ignored;
    ErrorReportFilter filter;
    {
        QMutexLocker locker(&settings().mutex);
        ignored = settings().ignored;
        filter = settings().filter;
    }
    if (isIgnored(error, ignored) || (filter && !filter(error))) {
        return std::nullopt;
    }

    QVariantMap extra = userInfo;
    const QString fileName = QFileInfo(file).fileName();
    extra.insert(QStringLiteral("file"), fileName);
    extra.insert(QStringLiteral("line"), line);
    extra.insert(QStringLiteral("fileLine"), QStringLiteral("%1:%2").arg(fileName).arg(line));
    for (const auto &[key, value] : customDebugInfo().toDictionary()) {
        extra.insert(key, value);
    }

    const NSError bridged = error.bridged();
    QString domain = bridged.domain();
    qint64 code = bridged.code();
    // Every error of one type has code 1: its name goes into the domain and its code is derived
    // from the name, so that different failures become different issues.
    if (code == 1) {
        // The error's own description; the platform's stand-in text that bridging adds is no name.
        const QString name = error.userInfo().value(NSLocalizedDescriptionKey).toString();
        if (!name.isEmpty()) {
            domain += QStringLiteral(" - ") + name;
        }
        code = messageCode(name);
    }
    // Receivers that read numbers as doubles would round a 64-bit code.
    extra.insert(QStringLiteral("codeString"), QString::number(code));
    return NSError(domain, code, bridged.copyAddingUserInfo(extra).userInfo());
}

void KwApp::reportError(const Error &error, const QVariantMap &userInfo, const QString &file, int line)
{
    try {
        const std::optional<NSError> report = errorReport(error, userInfo, file, line);
        if (!report) {
            return;
        }
        qCWarning(lcErrorReports).noquote()
            << report->userInfo().value(QStringLiteral("fileLine")).toString() << report->domain()
            << report->code() << report->localizedDescription();
        CrashReporter::captureError(
            { report->domain(), report->code(), report->localizedDescription(), report->userInfo() });
    } catch (...) {
        // Reporting an error must never become an error of its own.
    }
}
