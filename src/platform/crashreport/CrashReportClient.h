#pragma once

#include "platform/crashreport/CrashReportDsn.h"
#include "platform/crashreport/CrashReportEvent.h"
#include "platform/crashreport/CrashReportOutbox.h"
#include "platform/crashreport/HomePathRedactor.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// The settings a client starts with.
struct CrashReportOptions
{
    // Empty, malformed or plain http to another machine: reports wait in the outbox and nothing
    // leaves the machine.
    QString dsn;
    // Kept for the callers that set them; this client has nothing to swizzle and no hang
    // tracker, so they change nothing.
    bool enableSwizzling = true;
    bool enableAppHangTracking = true;
    // Called on the client's thread, on a turn of its event loop after start(), when the
    // previous run ended with a fatal signal.
    std::function<void(const CrashReportEvent &)> onCrashedLastRun;
    QString release;
    // Where the outbox and the crash marker live.
    QString databasePath;
    int maxOutboxSize = CrashReportOutbox::defaultCapacity;
};

// An error handed to the client: the parts of a platform error.
struct CrashReportError
{
    QString domain;
    qint64 code = 0;
    QString description;
    QVariantMap userInfo;
};

// Why an envelope did not reach the service.
struct CrashReportSendFailure
{
    // The service's answer; 0 when none came (no connection, a timeout).
    int httpStatus = 0;
    // What the transfer says went wrong when no answer came.
    QString networkError;
    // Kept in the outbox for the next start; what the service refused for good is dropped.
    bool kept = true;
};

// A client of the crash-reporting service. Start it once per process, on the GUI thread; the
// capture calls may come from any thread and return at once. Every event is written to the
// outbox first and leaves it only once the service has accepted it, so what cannot be sent now
// is sent by the next start.
class CrashReportClient : public QObject
{
    Q_OBJECT

public:
    explicit CrashReportClient(CrashReportOptions options, QObject *parent = nullptr);
    ~CrashReportClient() override;

    // Reads (and clears) the crash marker of the previous run, installs this run's, queues the
    // crash report when there is one and sends what waits in the outbox.
    void start();

    bool crashedLastRun() const { return m_crashedLastRun; }
    bool isEnabled() const { return m_dsn.has_value(); }
    const CrashReportOptions &options() const { return m_options; }
    QString markerPath() const;
    CrashReportOutbox &outbox() { return *m_outbox; }
    // The outbox file of the previous run's crash report, as start() stored it; empty when there
    // was none or it could not be stored. Sending removes it.
    const QString &crashReportFile() const { return m_crashReportFile; }
    // A stored envelope as it leaves the machine, the home folder taken out; none when it is no
    // envelope.
    std::optional<QByteArray> outgoing(const QByteArray &stored) const;

    // The event's id.
    QString captureError(const CrashReportError &error);
    // The outbox file it waits in (envelopeSent() and envelopeFailed() name it), or an empty text
    // when it cannot be stored.
    QString captureUserFeedback(const CrashReportUserFeedback &feedback);

    // Sends every waiting envelope; the GUI thread does the sending.
    void flush();

Q_SIGNALS:
    // An envelope was accepted by the service (tests wait for it).
    void envelopeSent(const QString &file);
    void envelopeFailed(const QString &file, const CrashReportSendFailure &failure);

private:
    QString enqueue(const QString &eventId, const QString &itemType, const QJsonObject &payload);
    void send(const QString &file);
    void onReplyFinished(QNetworkReply *reply, const QString &file);

    CrashReportOptions m_options;
    HomePathRedactor m_redactor;
    std::optional<CrashReportDsn> m_dsn;
    std::unique_ptr<CrashReportOutbox> m_outbox;
    QNetworkAccessManager *m_network = nullptr;
    QStringList m_inFlight;
    QString m_crashReportFile;
    bool m_crashedLastRun = false;
};
