#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>

// The watcher that panels run on the session bus: programs register their tray items with it,
// and it tells them whether a host shows items at all. Items and hosts are forgotten when their
// bus name goes away.
class StatusNotifierWatcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit StatusNotifierWatcher(QDBusConnection bus, QObject *parent = nullptr);

    QStringList registeredStatusNotifierItems() const { return m_items; }
    bool isStatusNotifierHostRegistered() const;
    static int protocolVersion() { return 0; }

    // Says no host is registered to the first question whatever it knows, as a watcher does whose
    // host registers just after it answered.
    void sayNoAtFirst() { m_noAtFirst = true; }

public slots:
    // `serviceOrPath` is a bus name (the item lives at /StatusNotifierItem) or an object path on
    // the caller's own connection.
    void RegisterStatusNotifierItem(const QString &serviceOrPath);
    void RegisterStatusNotifierHost(const QString &service);

signals:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierItemUnregistered(const QString &item);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    void forget(const QString &service);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_owners;
    QStringList m_items;
    QStringList m_hosts;
    bool m_noAtFirst = false;
    mutable int m_questions = 0;
};
