#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <chrono>
#include <optional>

// Whether a panel shows status notifier items on the session bus, followed without ever waiting
// on the panel: its watcher may start after the program, stop, come back, or hang.
class StatusNotifierHostMonitor : public QObject
{
    Q_OBJECT

public:
    // A question to the watcher is given up after `timeout`; by default the bus's own.
    explicit StatusNotifierHostMonitor(QDBusConnection bus = QDBusConnection::sessionBus(),
        std::optional<std::chrono::milliseconds> timeout = std::nullopt, QObject *parent = nullptr);
    ~StatusNotifierHostMonitor() override;

    // Unknown until the watcher first answers, goes, or lets a question time out (then no host
    // until it answers); kept while a later question is open.
    std::optional<bool> hasHost() const { return m_hasHost; }

signals:
    void changed();

private slots:
    void ask();

private:
    void settle(bool hasHost);

    QDBusConnection m_bus;
    int m_timeoutMs;
    QDBusServiceWatcher m_watcher;
    std::optional<bool> m_hasHost;
    // Only the answer to the latest question counts: an earlier one may come late.
    quint64 m_question = 0;
    // Said once for each time the watcher stops answering.
    bool m_silent = false;
};
