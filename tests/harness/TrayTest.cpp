#include "DesktopTest.h"
#include "EventLoop.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace TestSupport;

namespace {

using TrayTest = DesktopTest;

TEST_F(TrayTest, AnIconShownInTheTrayGetsAPlace)
{
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::red);
    QSystemTrayIcon icon { QIcon(pixmap) };
    icon.show();
    EXPECT_TRUE(icon.isVisible());
    // The tray host gives the icon its geometry only once it has embedded it.
    EXPECT_TRUE(processEventsUntil([&] { return !icon.geometry().isEmpty(); }))
        << "the tray host never embedded the icon";
}

} // namespace
