#include "kit/foundation/time/TimeFormatting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
constexpr TimeFormat statusTitle {
    .showsHours = true, .showsSeconds = true, .showsHoursOnlyWhenNeeded = true
};
}

TEST(TimeFormattingTest, StatusTitleShowsHoursOnlyFromOneHourAndReadableValuesOutsideTheClock)
{
    EXPECT_EQ(timeFormatted(0, statusTitle), "00:00");
    EXPECT_EQ(timeFormatted(59.9, statusTitle), "00:59");
    EXPECT_EQ(timeFormatted(60, statusTitle), "01:00");
    EXPECT_EQ(timeFormatted(3599.9, statusTitle), "59:59");
    EXPECT_EQ(timeFormatted(3600, statusTitle), "01:00:00");
    EXPECT_EQ(timeFormatted(86399.99, statusTitle), "23:59:59");
    EXPECT_EQ(timeFormatted(86400, statusTitle), "24:00:00");
    EXPECT_EQ(timeFormatted(360000 + 61, statusTitle), "100:01:01");
    // Values outside the clock are readable, not undefined.
    EXPECT_EQ(timeFormatted(-0.5, statusTitle), "00:00");
    EXPECT_EQ(timeFormatted(-61, statusTitle), "-01:01");
    EXPECT_EQ(timeFormatted(std::nan(""), statusTitle), "00:00");
    // 2^63 - 1 seconds: 2562047788015215 h 30 min 7 s.
    EXPECT_EQ(timeFormatted(std::numeric_limits<double>::infinity(), statusTitle), "2562047788015215:30:07");
    EXPECT_EQ(
        timeFormatted(-std::numeric_limits<double>::infinity(), statusTitle), "-2562047788015215:30:08");
}

TEST(TimeFormattingTest, FlagsChooseTheFields)
{
    EXPECT_EQ(timeFormatted(3725, {}), "01:02:05");
    EXPECT_EQ(timeFormatted(5, {}), "00:00:05");
    EXPECT_EQ(timeFormatted(3725, { .showsHours = true, .showsSeconds = false }), "01:02");
    // Without hours the minutes are those within the hour.
    EXPECT_EQ(timeFormatted(3725, { .showsHours = false, .showsSeconds = true }), "02:05");
    EXPECT_EQ(timeFormatted(3725, { .showsHours = false, .showsSeconds = false }), "02");
    // "Only when needed" overrides showsHours in both directions.
    EXPECT_EQ(timeFormatted(5, { .showsHours = true, .showsHoursOnlyWhenNeeded = true }), "00:05");
    EXPECT_EQ(timeFormatted(3600, { .showsHours = false, .showsHoursOnlyWhenNeeded = true }), "01:00:00");
}
