#include "kit/ui/EverySecondSchedule.h"

#include "EventLoop.h"

#include <gtest/gtest.h>

namespace {

const QDateTime anchor = QDateTime::fromMSecsSinceEpoch(1'700'000'000'250, Qt::UTC);

TEST(EverySecondScheduleTest, EntriesAreOneSecondApartAlignedToTheCall)
{
    EverySecondSchedule schedule([] { return anchor; });
    auto entries = schedule.entries(anchor.addMSecs(-5000), TimelineMode::normal);
    // A start before the moment of the call begins at that moment.
    EXPECT_EQ(entries.next(), anchor);
    EXPECT_EQ(entries.next(), anchor.addSecs(1));
    EXPECT_EQ(entries.next(), anchor.addSecs(2));
    auto low = schedule.entries(anchor, TimelineMode::lowFrequency);
    const QDateTime first = low.next();
    EXPECT_EQ(first.secsTo(low.next()), 30);
}

TEST(EverySecondScheduleTest, LaterStartBeginsAtTheAlignedMomentBeforeIt)
{
    EverySecondSchedule schedule([] { return anchor; });
    auto entries = schedule.entries(anchor.addMSecs(2700), TimelineMode::normal);
    EXPECT_EQ(entries.next(), anchor.addSecs(2));
    EXPECT_EQ(entries.next(), anchor.addSecs(3));
    auto exact = schedule.entries(anchor.addSecs(4), TimelineMode::normal);
    EXPECT_EQ(exact.next(), anchor.addSecs(4));
}

TEST(EverySecondScheduleTest, PhaseFollowsTheMomentOfEachCall)
{
    QDateTime now = anchor;
    EverySecondSchedule schedule([&now] { return now; });
    auto first = schedule.entries(anchor, TimelineMode::normal);
    now = anchor.addMSecs(300);
    auto second = schedule.entries(anchor.addMSecs(300), TimelineMode::normal);
    EXPECT_EQ(first.next().msecsTo(second.next()), 300);
}

TEST(PeriodicScheduleTest, IntervalOfZeroStillAdvances)
{
    PeriodicSchedule schedule(anchor, std::chrono::milliseconds(0));
    auto entries = schedule.entries(anchor);
    const QDateTime first = entries.next();
    EXPECT_LT(first, entries.next());
}

TEST(TimelineTickerTest, TicksOnTheSecondsOfItsStart)
{
    const QDateTime started = QDateTime::currentDateTimeUtc();
    std::vector<QDateTime> entries;
    std::vector<QDateTime> arrivals;
    TimelineTicker ticker(EverySecondSchedule(), [&](const QDateTime &entry) {
        entries.push_back(entry);
        arrivals.push_back(QDateTime::currentDateTimeUtc());
    });
    ASSERT_TRUE(
        TestSupport::processEventsUntil([&] { return entries.size() >= 2; }, std::chrono::seconds(4)));
    const qint64 firstOffset = started.msecsTo(entries[0]);
    // Aligned to the ticker's start, one second on (the start itself is a little after `started`).
    EXPECT_GE(firstOffset, 1000);
    EXPECT_LE(firstOffset, 1250);
    EXPECT_EQ(entries[0].msecsTo(entries[1]), 1000);
    // Not early.
    EXPECT_GE(arrivals[0], entries[0]);
}

TEST(TimelineTickerTest, StopsWhenDestroyed)
{
    int ticks = 0;
    {
        TimelineTicker ticker(EverySecondSchedule(), [&](const QDateTime &) { ++ticks; });
        ticker.setMode(TimelineMode::lowFrequency);
        EXPECT_EQ(ticker.mode(), TimelineMode::lowFrequency);
    }
    TestSupport::processEventsFor(std::chrono::milliseconds(1100));
    EXPECT_EQ(ticks, 0);
}

} // namespace
