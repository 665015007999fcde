#include "kit/foundation/time/KwDuration.h"
#include "kit/foundation/time/DurationDates.h"
#include "kit/foundation/time/DurationTimers.h"

#include "EventLoop.h"

#include <QHash>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;

TEST(KwDurationTest, UnitsArithmeticOrderingAndHashingFollowTheSecondsWithBothZerosAlike)
{
    EXPECT_DOUBLE_EQ(KwDuration(90, KwDuration::Unit::minutes).in(KwDuration::Unit::hours), 1.5);
    EXPECT_FALSE(KwDuration::unitFromSeconds(7).has_value());
    EXPECT_EQ(KwDuration::unitFromSeconds(3600), KwDuration::Unit::hours);
    EXPECT_EQ(KwDuration::unitFromSeconds(1e-9), KwDuration::Unit::nanoseconds);
    EXPECT_FALSE(KwDuration::unitFromSeconds(3600.0000001).has_value());

    KwDuration total(kw_seconds(1), kw_minutes(1), kw_milliseconds(500));
    EXPECT_DOUBLE_EQ(total.seconds(), 61.5);
    total -= kw_seconds(1.5);
    EXPECT_EQ(total, kw_minutes(1));
    total += kw_seconds(-60);
    EXPECT_EQ(total, KwDuration::zero());
    EXPECT_LT(kw_seconds(59), kw_minutes(1));
    EXPECT_GT(kw_hours(1), kw_minutes(59));
    EXPECT_EQ(-kw_seconds(2), kw_seconds(1) - kw_seconds(3));

    const KwDuration negativeZero = -KwDuration::zero();
    EXPECT_TRUE(std::signbit(negativeZero.seconds()));
    EXPECT_EQ(negativeZero, KwDuration::zero());
    EXPECT_EQ(qHash(negativeZero), qHash(KwDuration::zero()));
    const QHash<KwDuration, int> table { { KwDuration::zero(), 1 } };
    EXPECT_EQ(table.value(negativeZero), 1);
}

TEST(KwDurationTest, DispatchIntervalsConvertBothWaysAndTheStoredFormIsTheSingleNumber)
{
    using D = DispatchTimeInterval;
    EXPECT_TRUE(std::isinf(KwDuration(D::never()).seconds()));
    EXPECT_DOUBLE_EQ(KwDuration(D::milliseconds(1500)).seconds(), 1.5);
    EXPECT_DOUBLE_EQ(KwDuration(D::microseconds(2)).seconds(), 2e-6);
    EXPECT_EQ(kw_seconds(1.5).toDispatchTimeInterval(), D::nanoseconds(1'500'000'000));
    EXPECT_EQ(kw_seconds(-2.5).toDispatchTimeInterval(), D::nanoseconds(-2'500'000'000));
    EXPECT_EQ(KwDuration::fromTimeInterval(INFINITY).toDispatchTimeInterval(), D::never());
    EXPECT_EQ(
        kw_weeks(1e9).toDispatchTimeInterval(), D::nanoseconds(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(KwDuration::fromTimeInterval(std::nan("")).toDispatchTimeInterval(), D::nanoseconds(0));

    const QJsonValue stored = kw_seconds(2.5).toJson();
    ASSERT_TRUE(stored.isDouble());
    EXPECT_DOUBLE_EQ(stored.toDouble(), 2.5);
    EXPECT_EQ(KwDuration::fromJson(stored), kw_seconds(2.5));
    EXPECT_FALSE(KwDuration::fromJson(QJsonValue(QStringLiteral("2.5"))).has_value());
    EXPECT_FALSE(KwDuration::fromJson(QJsonValue()).has_value());
}

TEST(KwDurationTest, RandomDrawsStayWithinTheClosedRange)
{
    std::mt19937_64 generator(42);
    bool sawNegative = false;
    bool sawAboveOne = false;
    for (int i = 0; i < 1000; ++i) {
        const auto drawn = KwDuration::random(kw_seconds(-1), kw_seconds(2), generator);
        ASSERT_GE(drawn, kw_seconds(-1));
        ASSERT_LE(drawn, kw_seconds(2));
        sawNegative = sawNegative || drawn < KwDuration::zero();
        sawAboveOne = sawAboveOne || drawn > kw_seconds(1);
        const Duration platform = randomDuration(1s, 3s, generator);
        ASSERT_TRUE(platform >= 1s && platform <= 3s) << platform.count();
    }
    EXPECT_TRUE(sawNegative && sawAboveOne);
    EXPECT_EQ(KwDuration::random(kw_seconds(3), kw_seconds(3)), kw_seconds(3));
    EXPECT_EQ(randomDuration(Duration::max(), Duration::max()), Duration::max());
    // The full finite range must not overflow into infinity.
    const double largest = std::numeric_limits<double>::max();
    EXPECT_TRUE(
        std::isfinite(KwDuration::random(kw_seconds(-largest), kw_seconds(largest), generator).seconds()));
}

TEST(KwDurationDeathTest, RandomWithReversedBoundsStops)
{
    EXPECT_DEATH(KwDuration::random(kw_seconds(2), kw_seconds(1)), "finite, ordered bounds");
    EXPECT_DEATH(
        KwDuration::random(kw_seconds(0), KwDuration::fromTimeInterval(INFINITY)), "finite, ordered bounds");
}

TEST(DurationDatesTest, OffsetsFromTheEpochs)
{
    EXPECT_EQ(DurationDates::since1970(kw_seconds(1.5)).toMSecsSinceEpoch(), 1500);
    EXPECT_EQ(DurationDates::since1970(Duration(1500ms)).toMSecsSinceEpoch(), 1500);
    EXPECT_EQ(DurationDates::sinceReferenceDate(KwDuration::zero()).toSecsSinceEpoch(), 978'307'200);
    EXPECT_EQ(DurationDates::sinceReferenceDate(kw_days(1)).toSecsSinceEpoch(), 978'307'200 + 86'400);
    const QDateTime start = DurationDates::since1970(KwDuration::zero());
    EXPECT_EQ(DurationDates::adding(start, kw_milliseconds(2.6)).toMSecsSinceEpoch(), 3);
    EXPECT_EQ(DurationDates::since(Duration(-2500us), start).toMSecsSinceEpoch(), -3);
    const auto before = QDateTime::currentDateTime();
    const auto later = DurationDates::sinceNow(kw_hours(1));
    EXPECT_GE(before.msecsTo(later), 3'600'000);
    EXPECT_LT(before.msecsTo(later), 3'610'000);
}

TEST(DurationTimersTest, IntervalsRoundToMillisecondsWithinQtsRangeAndRepeatUntilStopped)
{
    EXPECT_EQ(DurationTimers::Interval(kw_seconds(0.1)).milliseconds(), 100ms);
    EXPECT_EQ(DurationTimers::Interval(1'600us).milliseconds(), 2ms);
    EXPECT_EQ(DurationTimers::Interval(kw_seconds(-1)).milliseconds(), 0ms);
    EXPECT_EQ(DurationTimers::Interval(kw_weeks(100)).milliseconds(), std::chrono::milliseconds(INT_MAX));
    EXPECT_EQ(DurationTimers::Interval(Duration::max()).milliseconds(), std::chrono::milliseconds(INT_MAX));

    int runs = 0;
    auto timer = DurationTimers::scheduled(kw_milliseconds(5), true, [&runs](QTimer &self) {
        if (++runs == 3) {
            self.stop();
        }
    });
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return runs == 3; }));
    EXPECT_FALSE(timer->isActive());
    auto once = DurationTimers::make(Duration(1ms), false, [&runs](QTimer &) { ++runs; });
    EXPECT_FALSE(once->isActive());
    once->start();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return runs == 4; }));
    TestSupport::processEventsFor(30ms);
    EXPECT_EQ(runs, 4);
}
