#include "StatusNotifierWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_owners(QString(), m_bus, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierWatcher::forget);
}

bool StatusNotifierWatcher::isStatusNotifierHostRegistered() const
{
    const bool first = m_questions++ == 0;
    say(QStringLiteral("Asked for a host"));
    return !(first && m_noAtFirst) && !m_hosts.isEmpty();
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString &serviceOrPath)
{
    const bool isPath = serviceOrPath.startsWith(u'/');
    const QString service = isPath ? message().service() : serviceOrPath;
    const QString item = service + (isPath ? serviceOrPath : QStringLiteral("/StatusNotifierItem"));
    if (m_items.contains(item) || !m_bus.interface()->isServiceRegistered(service).value()) {
        return;
    }
    m_owners.addWatchedService(service);
    m_items.append(item);
    say(QStringLiteral("Item registered: %1").arg(item));
    emit StatusNotifierItemRegistered(item);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString &service)
{
    if (m_hosts.contains(service) || !m_bus.interface()->isServiceRegistered(service).value()) {
        return;
    }
    m_owners.addWatchedService(service);
    m_hosts.append(service);
    say(QStringLiteral("Host registered: %1").arg(service));
    emit StatusNotifierHostRegistered();
}

void StatusNotifierWatcher::forget(const QString &service)
{
    m_owners.removeWatchedService(service);
    const QString prefix = service + u'/';
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items[i].startsWith(prefix)) {
            const QString item = m_items.takeAt(i);
            say(QStringLiteral("Item unregistered: %1").arg(item));
            emit StatusNotifierItemUnregistered(item);
        }
    }
    if (m_hosts.removeAll(service) > 0) {
        say(QStringLiteral("Host unregistered: %1").arg(service));
        emit StatusNotifierHostUnregistered();
    }
}
