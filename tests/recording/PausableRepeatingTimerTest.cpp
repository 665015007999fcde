#include "EventLoop.h"

#include "recording/PausableRepeatingTimer.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

struct TickCounter
{
    int ticks = 0;
    Events::AnyCancellable subscription;

    explicit TickCounter(const PausableRepeatingTimer &timer)
        : subscription(timer.publisher().sink([this] { ++ticks; }))
    { }
};

TEST(PausableRepeatingTimerTest, ASubscriberGetsOneTickAtOnceThenOnePerInterval)
{
    PausableRepeatingTimer timer(durations::milliseconds(50));
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> ticks;
    const Events::AnyCancellable subscription
        = timer.publisher().sink([&] { ticks.push_back(clock.elapsed()); });
    EXPECT_EQ(ticks.size(), 1u);

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return ticks.size() == 3; }, 5s));
    // Never before the interval (a coarse timer may fire 5 % early); how late depends on the load.
    EXPECT_GE(ticks[1], 47);
    EXPECT_GE(ticks[2], 95);
}

TEST(PausableRepeatingTimerTest, PausingTicksOnceThenNothingUntilResumeTicksAtOnceAndInvalidatingStops)
{
    PausableRepeatingTimer timer(durations::milliseconds(20));
    TickCounter counter(timer);
    timer.pause();
    EXPECT_TRUE(timer.isPaused());
    EXPECT_EQ(counter.ticks, 2);

    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(counter.ticks, 2);
    timer.fire();
    EXPECT_EQ(counter.ticks, 2) << "a paused timer has no timer to fire";

    timer.resume();
    EXPECT_FALSE(timer.isPaused());
    EXPECT_EQ(counter.ticks, 3);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return counter.ticks >= 5; }, 5s));

    // Firing an invalidated timer still ticks.
    timer.invalidate();
    const int invalidatedAt = counter.ticks;
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(counter.ticks, invalidatedAt);
    timer.fire();
    EXPECT_EQ(counter.ticks, invalidatedAt + 1);
}

TEST(PausableRepeatingTimerTest, TicksKeepComingWhileAMenuIsOpen)
{
    PausableRepeatingTimer timer(durations::milliseconds(20));
    TickCounter counter(timer);
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    const int before = counter.ticks;
    int ticksDuringMenu = -1;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    watch.callOnTimeout([&] {
        if (counter.ticks - before >= 5 || clock.elapsed() > 5000) {
            ticksDuringMenu = counter.ticks;
            menu.close();
        }
    });
    watch.start(10ms);
    menu.exec(QPoint(0, 0));
    EXPECT_GE(ticksDuringMenu - before, 5);
}

TEST(PausableRepeatingTimerTest, TheTimerMayBeDroppedFromItsOwnTick)
{
    auto timer = std::make_unique<PausableRepeatingTimer>(durations::milliseconds(10));
    int ticks = 0;
    Events::AnyCancellable subscription = timer->publisher().sink([&] {
        if (++ticks == 2) {
            timer.reset();
        }
    });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !timer; }, 1s));
    TestSupport::processEventsFor(50ms);
    EXPECT_EQ(ticks, 2);
}

} // namespace
