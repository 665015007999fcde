#include "kit/foundation/time/Duration.h"
#include "kit/foundation/time/DispatchTimeInterval.h"
#include "kit/foundation/time/NetworkRequest.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto infinity = std::numeric_limits<double>::infinity();
} // namespace

TEST(DurationTest, SecondsAndUnitsRoundToTheNearestNanosecondAndClampInsteadOfOverflowing)
{
    const std::pair<double, Duration> cases[] = {
        { 0.7, 700'000'000ns },
        { -0.7, -700'000'000ns },
        { 1.1, 1'100'000'000ns },
        { 1e-9, 1ns },
        { 0.4e-9, 0ns },
        // Large spans keep their fraction exactly.
        { 1'000'000.25, 1'000'000'250'000'000ns },
        { 1e300, Duration::max() },
        { -1e300, Duration::min() },
        { infinity, Duration::max() },
        { -infinity, Duration::min() },
        { std::nan(""), Duration::zero() },
        // Just past the largest count: whole seconds fit but adding the fraction would not.
        { 9223372036.9, Duration::max() },
    };
    for (const auto &[seconds, expected] : cases) {
        EXPECT_EQ(toDuration(seconds), expected) << seconds;
    }
    EXPECT_DOUBLE_EQ(toTimeInterval(durations::milliseconds(1500.0)), 1.5);
    EXPECT_DOUBLE_EQ(toTimeInterval(Duration::max()), 9223372036.854776);
    EXPECT_DOUBLE_EQ(toTimeInterval(durations::seconds(1e300)), 9223372036.854776);
    EXPECT_EQ(toDuration(toTimeInterval(700'000'000ns)), 700'000'000ns);

    EXPECT_EQ(durations::days(2u), 172'800s);
    EXPECT_EQ(durations::days(int64Max), Duration::max());
    EXPECT_EQ(durations::seconds(std::numeric_limits<std::int64_t>::min()), Duration::min());
    EXPECT_EQ(durations::microseconds(1.5), 1500ns);
    EXPECT_EQ(durations::days(0.25f), 6h);
    // Milliseconds round half away from zero.
    EXPECT_EQ(toMilliseconds(1'499'999ns), 1);
    EXPECT_EQ(toMilliseconds(1'500'000ns), 2);
    EXPECT_EQ(toMilliseconds(-1'500'000ns), -2);
    EXPECT_EQ(toMilliseconds(Duration::max()), int64Max / 1'000'000 + 1);
}

TEST(DispatchTimeIntervalTest, NeverIsLaterThanEveryFiniteIntervalAndHugeCountsClamp)
{
    using D = DispatchTimeInterval;
    EXPECT_TRUE(D::seconds(1) < D::milliseconds(1001));
    EXPECT_FALSE(D::milliseconds(1001) < D::seconds(1));
    EXPECT_FALSE(D::never() < D::never());
    EXPECT_TRUE(D::never() <= D::never());
    EXPECT_TRUE(D::seconds(5) < D::never());
    EXPECT_FALSE(D::never() < D::seconds(5));
    EXPECT_TRUE(D::never() > D::nanoseconds(int64Max));
    EXPECT_TRUE(D::microseconds(1000) >= D::milliseconds(1));
    EXPECT_TRUE(D::microseconds(1000) <= D::milliseconds(1));
    EXPECT_NE(D::seconds(1), D::milliseconds(1000)); // same span, different unit
    // Wrapping would make this huge interval negative and thus earlier.
    EXPECT_TRUE(D::seconds(1) < D::seconds(int64Max / 2));
    EXPECT_EQ(D::seconds(int64Max).nanosecondCount(), int64Max);
    EXPECT_EQ(toDuration(D::milliseconds(1500)), 1500ms);
    EXPECT_EQ(toDuration(D::microseconds(-3)), -3us);
    EXPECT_EQ(toDuration(D::never()), Duration::max());
    EXPECT_EQ(toDispatchTimeInterval(2s), D::nanoseconds(2'000'000'000));
}

TEST(DurationTest, RequestTimeOutsAreWholeMillisecondsAndNeverRoundToNone)
{
    const QUrl url(QStringLiteral("https://example.invalid/"));
    const std::pair<Duration, int> cases[] = {
        { 2500ms, 2500 },
        { 400us, 1 },
        { 1600us, 2 },
        { Duration::zero(), 0 },
        { -1s, 0 },
        { std::chrono::hours(24 * 365), INT_MAX },
    };
    for (const auto &[timeout, milliseconds] : cases) {
        EXPECT_EQ(urlRequest(url, QNetworkRequest::AlwaysNetwork, timeout).transferTimeout(), milliseconds)
            << timeout.count();
    }
    const QNetworkRequest request
        = urlRequest(url, QNetworkRequest::PreferCache, KwDuration::fromTimeInterval(0.25));
    EXPECT_EQ(request.transferTimeout(), 250);
    EXPECT_EQ(
        request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(), QNetworkRequest::PreferCache);
}
