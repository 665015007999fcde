#include "platform/crashreport/CrashReportDsn.h"

#include <QtGlobal>

#ifndef TAPEWICK_CRASH_REPORT_DSN
#    define TAPEWICK_CRASH_REPORT_DSN ""
#endif

namespace {
const char *const environmentVariable = "TAPEWICK_CRASH_REPORT_DSN";
} // namespace

std::optional<CrashReportDsn> CrashReportDsn::parse(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty() || url.userName().isEmpty()) {
        return std::nullopt;
    }
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString projectId = path.mid(slash + 1);
    if (slash < 0 || projectId.isEmpty()) {
        return std::nullopt;
    }

    CrashReportDsn dsn;
    dsn.m_text = text.trimmed();
    dsn.m_publicKey = url.userName();
    dsn.m_projectId = projectId;
    dsn.m_base.setScheme(url.scheme());
    dsn.m_base.setHost(url.host());
    dsn.m_base.setPort(url.port());
    dsn.m_base.setPath(path.left(slash));
    return dsn;
}

QString CrashReportDsn::configured()
{
    if (qEnvironmentVariableIsSet(environmentVariable)) {
        return qEnvironmentVariable(environmentVariable);
    }
    return QString::fromUtf8(TAPEWICK_CRASH_REPORT_DSN);
}

QUrl CrashReportDsn::envelopeEndpoint() const
{
    QUrl endpoint = m_base;
    endpoint.setPath(m_base.path() + QStringLiteral("/api/%1/envelope/").arg(m_projectId));
    return endpoint;
}

QByteArray CrashReportDsn::authHeader(const QString &clientName) const
{
    return QStringLiteral("Sentry sentry_version=7, sentry_key=%1, sentry_client=%2")
        .arg(m_publicKey, clientName)
        .toUtf8();
}
