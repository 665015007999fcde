#include "platform/crashreport/CrashReportDsn.h"

#include <QHostAddress>
#include <QtGlobal>

#ifndef TAPEWICK_CRASH_REPORT_DSN
#    define TAPEWICK_CRASH_REPORT_DSN ""
#endif

namespace {

const char *const environmentVariable = "TAPEWICK_CRASH_REPORT_DSN";

// A host that names this machine: a local test server may speak plain http.
bool isLoopback(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || QHostAddress(host).isLoopback();
}

} // namespace

std::optional<CrashReportDsn> CrashReportDsn::parse(const QString &text, QString *refusal)
{
    const auto refuse = [&](const QString &why) {
        if (refusal != nullptr) {
            *refusal = why;
        }
        return std::nullopt;
    };
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty() || url.userName().isEmpty()) {
        return refuse(QStringLiteral("not a DSN of the form https://key@host/project"));
    }
    if (url.scheme() == QLatin1String("http") && !isLoopback(url.host())) {
        return refuse(
            QStringLiteral("plain http to %1 would send reports unencrypted; use https").arg(url.host()));
    }
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString projectId = path.mid(slash + 1);
    if (slash < 0 || projectId.isEmpty()) {
        return refuse(QStringLiteral("the DSN names no project"));
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
