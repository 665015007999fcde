#include "DesktopTest.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

namespace {

using SessionBusTest = TestSupport::DesktopTest;

// Desktop tests own bus names and call them: on the user's own bus they would meet the user's
// running programs.
TEST_F(SessionBusTest, TheBusIsTheDesktopsOwn)
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    EXPECT_TRUE(address.startsWith(QStringLiteral("unix:path=%1/").arg(runtime))) << address.toStdString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    EXPECT_TRUE(bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")).value());
}

} // namespace
