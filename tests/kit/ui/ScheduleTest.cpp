#include "kit/ui/EverySecondSchedule.h"

#include "EventLoop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

const QDateTime anchor = QDateTime::fromMSecsSinceEpoch(1'700'000'000'250, Qt::UTC);

// Entries are a second apart, aligned to the moment of each call: a start before it begins there, a
// later start at the aligned moment at or before it.
TEST(EverySecondScheduleTest, EntriesAreOneSecondApartAlignedToTheCall)
{
    QDateTime now = anchor;
    EverySecondSchedule schedule([&now] { return now; });
    for (const auto &[startMs, firstSecond] :
        std::vector<std::pair<int, int>> { { -5000, 0 }, { 2700, 2 }, { 4000, 4 } }) {
        auto entries = schedule.entries(anchor.addMSecs(startMs), TimelineMode::normal);
        EXPECT_EQ(entries.next(), anchor.addSecs(firstSecond)) << startMs;
        EXPECT_EQ(entries.next(), anchor.addSecs(firstSecond + 1)) << startMs;
    }
    auto low = schedule.entries(anchor, TimelineMode::lowFrequency);
    const QDateTime first = low.next();
    EXPECT_EQ(first.secsTo(low.next()), 30);
    now = anchor.addMSecs(300);
    EXPECT_EQ(first.msecsTo(schedule.entries(now, TimelineMode::normal).next()), 300);
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

TEST(TimelineTickerTest, KeepsTheBeatWhenTheClockIsSet)
{
    using namespace std::chrono_literals;
    for (const auto step : { -1h, 1h }) {
        QElapsedTimer running;
        running.start();
        std::chrono::milliseconds setBy(0);
        const EverySecondSchedule schedule(
            [&] { return anchor.addMSecs(running.elapsed() + setBy.count()); });
        std::vector<std::pair<QDateTime, qint64>> ticks; // entry, arrival
        TimelineTicker ticker(
            schedule, [&](const QDateTime &entry) { ticks.emplace_back(entry, running.elapsed()); });
        setBy = step;
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return ticks.size() >= 2; }, 3s))
            << step.count() << " h";
        EXPECT_LT(std::abs(anchor.msecsTo(ticks[0].first)), 2000) << "read from the schedule's clock once";
        EXPECT_EQ(ticks[0].first.msecsTo(ticks[1].first), 1000);
        EXPECT_NEAR(ticks[1].second - ticks[0].second, 1100, 150);
    }
}

TEST(TimelineTickerTest, StopsWhenDestroyed)
{
    int ticks = 0;
    {
        TimelineTicker ticker(EverySecondSchedule(), [&](const QDateTime &) { ++ticks; });
        ticker.setMode(TimelineMode::lowFrequency);
    }
    TestSupport::processEventsFor(std::chrono::milliseconds(1100));
    EXPECT_EQ(ticks, 0);
}

} // namespace
