#include "platform/crashreport/CrashReportClient.h"

#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReportEnvelope.h"

#include "platform/events/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

#include <cstring>

Q_LOGGING_CATEGORY(lcCrashReport, "tapewick.crashreport")

namespace {

constexpr int transferTimeoutMs = 30'000;

QString defaultDatabasePath()
{
    // A fixed folder rather than the application name's: a crash note and unsent reports stay
    // where an earlier version left them.
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/tapewick/crashreports");
}

QString clientName()
{
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("tapewick.native/%1").arg(version.isEmpty() ? QStringLiteral("0") : version);
}

CrashReportEvent crashEvent(const CrashMarker::Record &record, const QString &release)
{
    CrashReportEvent event;
    event.eventId = CrashReportEvent::newEventId();
    event.timestamp = record.time;
    event.level = CrashReportEvent::Level::Fatal;
    event.handled = false;
    event.signalNumber = record.signalNumber;
    event.exceptionType = QStringLiteral("Fatal signal");
    event.exceptionValue = record.signalNumber != 0
        ? QStringLiteral("Signal %1 (%2)")
              .arg(record.signalNumber)
              .arg(QString::fromLocal8Bit(::strsignal(record.signalNumber)))
        : QStringLiteral("Unknown signal");
    event.release = release;
    return event;
}

} // namespace

CrashReportClient::CrashReportClient(CrashReportOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_redactor(HomePathRedactor::forCurrentUser())
{
    QString refusal;
    m_dsn = CrashReportDsn::parse(m_options.dsn, &refusal);
    if (m_options.databasePath.isEmpty()) {
        m_options.databasePath = defaultDatabasePath();
    }
    m_outbox = std::make_unique<CrashReportOutbox>(
        m_options.databasePath + QStringLiteral("/outbox"), m_options.maxOutboxSize);
    if (!m_options.dsn.isEmpty() && !m_dsn) {
        qCWarning(lcCrashReport).noquote()
            << "Refusing the crash-reporting DSN (" + refusal + "); reports stay on this machine";
    }
}

CrashReportClient::~CrashReportClient() = default;

QString CrashReportClient::markerPath() const
{
    return m_options.databasePath + QStringLiteral("/crashed");
}

void CrashReportClient::start()
{
    if (const auto record = CrashMarker::take(markerPath())) {
        m_crashedLastRun = true;
        const CrashReportEvent event = crashEvent(*record, m_options.release);
        m_crashReportFile = enqueue(event.eventId, QStringLiteral("event"), event.toJson());
        if (m_options.onCrashedLastRun) {
            QMetaObject::invokeMethod(
                this, [this, event] { m_options.onCrashedLastRun(event); }, Qt::QueuedConnection);
        }
    }
    if (!QDir().mkpath(m_options.databasePath) || !CrashMarker::install(markerPath())) {
        qCWarning(lcCrashReport) << "Cannot watch for crashes in" << m_options.databasePath;
    }
    flush();
}

QString CrashReportClient::captureError(const CrashReportError &error)
{
    CrashReportEvent event;
    event.eventId = CrashReportEvent::newEventId();
    event.timestamp = QDateTime::currentDateTimeUtc();
    event.exceptionType = error.domain;
    event.exceptionValue = QStringLiteral("Code: %1. %2").arg(error.code).arg(error.description);
    event.extra = error.userInfo;
    event.release = m_options.release;
    enqueue(event.eventId, QStringLiteral("event"), event.toJson());
    return event.eventId;
}

QString CrashReportClient::captureUserFeedback(const CrashReportUserFeedback &feedback)
{
    return enqueue(feedback.eventId, QStringLiteral("user_report"), feedback.toJson());
}

QString CrashReportClient::enqueue(
    const QString &eventId, const QString &itemType, const QJsonObject &payload)
{
    CrashReportEnvelope envelope(eventId);
    envelope.addItem(itemType, payload);
    const QString file = m_outbox->add(envelope.serialized());
    if (file.isEmpty()) {
        qCWarning(lcCrashReport) << "Cannot store a report in" << m_outbox->directory();
        return file;
    }
    if (isEnabled()) {
        QMetaObject::invokeMethod(
            this, [this, file] { send(file); }, Qt::QueuedConnection);
    }
    return file;
}

std::optional<QByteArray> CrashReportClient::outgoing(const QByteArray &stored) const
{
    return CrashReportEnvelope::rewritten(
        stored, [this](const QJsonValue &value) { return m_redactor.redacted(value); });
}

void CrashReportClient::flush()
{
    if (!isEnabled()) {
        return;
    }
    const QStringList files = m_outbox->pending();
    QMetaObject::invokeMethod(
        this,
        [this, files] {
            for (const QString &file : files) {
                send(file);
            }
        },
        Qt::QueuedConnection);
}

void CrashReportClient::send(const QString &file)
{
    if (m_inFlight.contains(file)) {
        return;
    }
    // Read on the GUI thread: a FIFO or the like in the outbox must not hold it up.
    const RegularFile::Contents stored = RegularFile::read(file);
    if (stored.status == RegularFile::Contents::Status::missing
        || stored.status == RegularFile::Contents::Status::failed) {
        return; // already sent, or pushed out of the outbox
    }
    // The home folder is taken out here, where every report passes on its way out, also those
    // stored by an earlier version.
    const std::optional<QByteArray> body = outgoing(stored.bytes);
    if (stored.status == RegularFile::Contents::Status::notRegular || !body) {
        qCWarning(lcCrashReport) << "Dropping a stored report that is no envelope:"
                                 << QFileInfo(file).fileName();
        m_outbox->remove(file);
        return;
    }

    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(m_dsn->envelopeEndpoint());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-sentry-envelope"));
    request.setRawHeader(QByteArrayLiteral("X-Sentry-Auth"), m_dsn->authHeader(clientName()));
    request.setTransferTimeout(transferTimeoutMs);
    m_inFlight.append(file);
    QNetworkReply *reply = m_network->post(request, *body);
    connect(reply, &QNetworkReply::finished, this, [this, reply, file] { onReplyFinished(reply, file); });
}

void CrashReportClient::onReplyFinished(QNetworkReply *reply, const QString &file)
{
    reply->deleteLater();
    m_inFlight.removeAll(file);
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid()) {
        qCInfo(lcCrashReport) << "Report kept for later:" << reply->errorString();
        Q_EMIT envelopeFailed(file, { .httpStatus = 0, .networkError = reply->errorString(), .kept = true });
        return;
    }
    const int status = statusAttribute.toInt();
    if (status >= 200 && status < 300) {
        m_outbox->remove(file);
        Q_EMIT envelopeSent(file);
        return;
    }
    // Rate limits and server trouble pass; any other refusal would be repeated forever.
    const bool kept = status == 429 || status >= 500;
    if (!kept) {
        qCWarning(lcCrashReport) << "Report refused with status" << status << "and dropped";
        m_outbox->remove(file);
    }
    Q_EMIT envelopeFailed(file, { .httpStatus = status, .networkError = {}, .kept = kept });
}
