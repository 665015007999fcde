#include "app/GetActiveRecordingDurationIntent.h"
#include "app/RecordingStateAppEnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(RecordingStateAppEnumTest, RawValuesAreExactlyTheCaseNames)
{
    struct Case
    {
        QString raw;
        std::optional<RecordingStateAppEnum> state;
    };
    for (const Case &c : std::vector<Case> { { "stopped", RecordingStateAppEnum::stopped },
             { "recording", RecordingStateAppEnum::recording }, { "paused", RecordingStateAppEnum::paused },
             { "Paused", std::nullopt }, { " paused", std::nullopt }, { "", std::nullopt } }) {
        EXPECT_EQ(RecordingStateAppEnums::fromRawValue(c.raw), c.state) << c.raw.toStdString();
    }
}

TEST(GetActiveRecordingDurationIntentTest, SecondsAtNanosecondResolutionAndMinusOneForNone)
{
    struct Case
    {
        double currentTime;
        double expected;
    };
    for (const Case &c : std::vector<Case> { { 0, -1 }, { 2.5, 2.5 }, { 1e-9, 1e-9 }, { 0.4e-9, -1 },
             { 3723.000000001, 3723.000000001 }, { std::numeric_limits<double>::quiet_NaN(), -1 } }) {
        EXPECT_DOUBLE_EQ(GetActiveRecordingDurationIntent::seconds(c.currentTime), c.expected)
            << c.currentTime;
    }
}

} // namespace
