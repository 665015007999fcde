#include "platform/desktop/StatusNotifierHostMonitor.h"

#include "platform/desktop/StatusNotifierItem.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(statusNotifierHostLog, "tapewick.statusnotifier.host", QtInfoMsg)

StatusNotifierHostMonitor::StatusNotifierHostMonitor(
    QDBusConnection bus, std::optional<std::chrono::milliseconds> timeout, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_timeoutMs(timeout ? int(timeout->count()) : -1)
    , m_watcher(QString::fromLatin1(StatusNotifierItem::watcherService), m_bus,
          QDBusServiceWatcher::WatchForOwnerChange)
{
    const QString watcher = QString::fromLatin1(StatusNotifierItem::watcherService);
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &owner) {
            if (owner.isEmpty()) {
                ++m_question;
                settle(false);
            } else {
                ask();
            }
        });
    // Whatever the watcher announces, it speaks again: what it says of hosts may have changed.
    for (const char *signal : { "StatusNotifierHostRegistered", "StatusNotifierHostUnregistered",
             "StatusNotifierItemRegistered", "StatusNotifierItemUnregistered" }) {
        m_bus.connect(watcher, QString::fromLatin1(StatusNotifierItem::watcherPath), watcher,
            QLatin1String(signal), this, SLOT(ask()));
    }
    ask();
}

StatusNotifierHostMonitor::~StatusNotifierHostMonitor() = default;

void StatusNotifierHostMonitor::ask()
{
    const QString watcher = QString::fromLatin1(StatusNotifierItem::watcherService);
    QDBusMessage get
        = QDBusMessage::createMethodCall(watcher, QString::fromLatin1(StatusNotifierItem::watcherPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({ watcher, QStringLiteral("IsStatusNotifierHostRegistered") });
    // A watcher that is not running is no host; starting one would not make a panel appear.
    get.setAutoStartService(false);
    const quint64 question = ++m_question;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get, m_timeoutMs), this);
    connect(
        pending, &QDBusPendingCallWatcher::finished, this, [this, question](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            if (question != m_question) {
                return;
            }
            const QDBusPendingReply<QDBusVariant> reply = *call;
            const QDBusError::ErrorType error = reply.isError() ? reply.error().type() : QDBusError::NoError;
            if (error != QDBusError::NoReply && error != QDBusError::Timeout) {
                m_silent = false;
                settle(!reply.isError() && reply.value().variant().toBool());
                return;
            }
            if (!m_silent) {
                qCWarning(statusNotifierHostLog) << "The status notifier watcher does not answer";
                m_silent = true;
            }
            // Its answer to this question is lost now: another one stays open, for the answer to
            // be taken as soon as the watcher gives it. Meanwhile what is shown stays, and at
            // start, the X11 tray shows the item.
            if (!m_hasHost) {
                settle(false);
            }
            ask();
        });
}

void StatusNotifierHostMonitor::settle(bool hasHost)
{
    if (m_hasHost == hasHost) {
        return;
    }
    m_hasHost = hasHost;
    emit changed();
}
