#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <optional>

// Whether a panel shows status notifier items on the session bus, followed without ever waiting
// on the panel: its watcher may start after the program, stop, come back, or hang.
class StatusNotifierHostMonitor : public QObject
{
    Q_OBJECT

public:
    explicit StatusNotifierHostMonitor(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~StatusNotifierHostMonitor() override;

    // Unknown until the watcher first answers, or goes; kept while a later question is open.
    std::optional<bool> hasHost() const { return m_hasHost; }

signals:
    void changed();

private slots:
    void ask();

private:
    void settle(bool hasHost);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    std::optional<bool> m_hasHost;
    // Only the answer to the latest question counts: an earlier one may come late.
    quint64 m_question = 0;
};
