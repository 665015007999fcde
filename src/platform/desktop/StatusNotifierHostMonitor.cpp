#include "platform/desktop/StatusNotifierHostMonitor.h"

#include "platform/desktop/StatusNotifierItem.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(statusNotifierHostLog, "tapewick.statusnotifier.host", QtInfoMsg)

StatusNotifierHostMonitor::StatusNotifierHostMonitor(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
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
    for (const char *signal : { "StatusNotifierHostRegistered", "StatusNotifierHostUnregistered" }) {
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
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(
        pending, &QDBusPendingCallWatcher::finished, this, [this, question](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            if (question != m_question) {
                return;
            }
            const QDBusPendingReply<QDBusVariant> reply = *call;
            if (!reply.isError()) {
                settle(reply.value().variant().toBool());
                return;
            }
            const QDBusError::ErrorType error = reply.error().type();
            if (error == QDBusError::NoReply || error == QDBusError::Timeout) {
                // What the panel shows is unknown: what is shown now stays until the watcher speaks.
                qCWarning(statusNotifierHostLog) << "The status notifier watcher does not answer";
                return;
            }
            settle(false);
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
