#include "app/SingleInstance.h"

#include <QDBusConnectionInterface>

SingleInstance::Claim SingleInstance::claim(const QString &busName)
{
    QDBusConnection bus = connection();
    if (!bus.isConnected() || !bus.interface()) {
        return Claim::noBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        return Claim::noBus;
    }
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Claim::owned
                                                                        : Claim::runningElsewhere;
}

QDBusConnection SingleInstance::connection()
{
    return QDBusConnection::sessionBus();
}
