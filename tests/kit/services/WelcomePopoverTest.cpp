#include "kit/services/WelcomePopover.h"

#include "EventLoop.h"
#include "KitTesting.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(WelcomePopover, SitsBesideTheIconOnTheScreen)
{
    const QRect screen(0, 0, 1000, 800);
    const QSize size(200, 60);
    // A tray at the top: below the icon, centred on it.
    EXPECT_EQ(WelcomePopover::placement(QRect(500, 0, 24, 24), size, screen), QPoint(411, 30));
    // A tray at the bottom: above it.
    EXPECT_EQ(WelcomePopover::placement(QRect(500, 776, 24, 24), size, screen), QPoint(411, 710));
    // Near the right edge: kept on the screen.
    EXPECT_EQ(WelcomePopover::placement(QRect(990, 0, 10, 10), size, screen).x(), 800);
    // No geometry: the top right corner.
    EXPECT_EQ(WelcomePopover::placement(QRect(), size, screen).x(), 800);
}

TEST(WelcomePopover, FinishesWhenClicked)
{
    bool finished = false;
    showWelcomePopover(QRect(300, 0, 24, 24)).then([&] { finished = true; });
    WelcomePopover *popover = nullptr;
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] { return (popover = KitTesting::visible<WelcomePopover>()) != nullptr; }));
    EXPECT_FALSE(finished);
    QTest::mouseClick(popover, Qt::LeftButton);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return finished; }));
}
