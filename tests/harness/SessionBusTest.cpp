#include "DesktopTest.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

#include <gtest/gtest.h>

using namespace TestSupport;

namespace {

using SessionBusTest = DesktopTest;

TEST_F(SessionBusTest, TheBusIsTheDesktopsOwn)
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    EXPECT_TRUE(address.startsWith(QStringLiteral("unix:path=%1/").arg(runtime))) << address.toStdString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
    ASSERT_TRUE(names.isValid()) << names.error().message().toStdString();
    EXPECT_TRUE(names.value().contains(QStringLiteral("org.freedesktop.DBus")));
}

TEST_F(SessionBusTest, ANameOwnedHereIsSeenFromAnotherConnection)
{
    const QString service = QStringLiteral("org.tapewick.HarnessProbe");
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerService(service)) << bus.lastError().message().toStdString();

    const QString otherName = QStringLiteral("harness-other");
    {
        QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, otherName);
        ASSERT_TRUE(other.isConnected());
        EXPECT_TRUE(other.interface()->isServiceRegistered(service).value());
        EXPECT_TRUE(bus.unregisterService(service));
        EXPECT_FALSE(other.interface()->isServiceRegistered(service).value());
    }
    QDBusConnection::disconnectFromBus(otherName);
}

} // namespace
