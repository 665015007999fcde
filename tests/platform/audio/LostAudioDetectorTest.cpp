#include "platform/audio/LostAudioDetector.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>
#include <vector>

namespace {

constexpr GstClockTime ms = GST_MSECOND;
constexpr GstClockTime none = GST_CLOCK_TIME_NONE;

struct Block
{
    GstClockTime pts;
    GstClockTime duration = 100 * ms;
    // When it came; none: as soon as it was recorded, `pts` after the start.
    GstClockTime arrival = none;
};

struct Capture
{
    const char *name;
    std::vector<Block> blocks;
    // Where each told gap begins and how long it is (or at most), in milliseconds.
    std::vector<std::tuple<GstClockTime, GstClockTime, bool>> gaps;
    GstClockTime held = 2000 * ms;
};

void PrintTo(const Capture &capture, std::ostream *out)
{
    *out << capture.name;
}

class LostAudioDetectorTest : public testing::TestWithParam<Capture>
{
};

TEST_P(LostAudioDetectorTest, TellsEachGapOnceWithItsPlaceAndLength)
{
    LostAudioDetector detector;
    detector.setHeld(GetParam().held);
    std::vector<std::tuple<GstClockTime, GstClockTime, bool>> told;
    for (const Block &block : GetParam().blocks) {
        const GstClockTime arrival = block.arrival != none ? block.arrival : 40 * ms + block.pts;
        if (const auto gap = detector.observe(block.pts, block.duration, arrival)) {
            told.emplace_back(gap->at / ms, gap->length / ms, gap->atMost);
        }
    }
    EXPECT_EQ(told, GetParam().gaps);
}

INSTANTIATE_TEST_SUITE_P(Captures, LostAudioDetectorTest,
    testing::Values(Capture { "Steady", { { 0 }, { 100 * ms }, { 200 * ms }, { 300 * ms } }, {} },
        // The pipeline's clock had run before the first block: where the capture starts is no gap.
        Capture { "LateStart", { { 5000 * ms }, { 5100 * ms } }, {} },
        // The source skipped 400 ms it could not hold, then went on without a gap.
        Capture { "OneSkip", { { 0 }, { 100 * ms }, { 200 * ms }, { 700 * ms }, { 800 * ms } },
            { { 300, 400, false } } },
        Capture { "TwoSkips", { { 1000 * ms }, { 1100 * ms }, { 3200 * ms }, { 3300 * ms }, { 3500 * ms } },
            { { 200, 2000, false }, { 2400, 100, false } } },
        // Blocks of any length: the next one is due where the last one ended.
        Capture { "UnevenBlocks",
            { { 0, 30 * ms }, { 30 * ms, 250 * ms }, { 280 * ms, 10 * ms }, { 330 * ms } },
            { { 290, 40, false } } },
        // Nanoseconds rounded from sample counts are no loss.
        Capture { "Rounding", { { 0, 20833333 }, { 20833334 }, { 120833333 } }, {} },
        // A block that starts early overlaps rather than loses; the next gap counts from it.
        Capture { "Overlap", { { 0 }, { 50 * ms }, { 150 * ms }, { 400 * ms } }, { { 250, 150, false } } },
        // Without a time nothing is told, and the next known block starts afresh.
        Capture { "Untimed",
            { { 0 }, { none }, { 900 * ms }, { 1000 * ms }, { 1100 * ms, none }, { 1500 * ms } }, {} },
        // The program stood still for less than the capture holds: all of it comes, later.
        Capture { "ShortStandstill",
            { { 0 }, { 100 * ms }, { 200 * ms, 100 * ms, 2100 * ms }, { 300 * ms, 100 * ms, 2110 * ms },
                { 400 * ms } },
            {} },
        // It stood still 3.5 s: what the server could not hold for so long is lost, at most all.
        Capture { "LongStandstill",
            { { 0 }, { 100 * ms, 100 * ms, 140 * ms }, { 200 * ms, 100 * ms, 3640 * ms },
                { 300 * ms, 100 * ms, 3650 * ms } },
            { { 200, 3500, true } } },
        // The server's backlog rushed in after the standstill and the source skipped part of it:
        // that is within the standstill already told of; a later skip is not.
        Capture { "SkipWithinAStandstill",
            { { 0 }, { 100 * ms, 100 * ms, 140 * ms }, { 200 * ms, 100 * ms, 3640 * ms },
                { 300 * ms, 100 * ms, 3650 * ms }, { 2300 * ms, 100 * ms, 3660 * ms },
                { 2400 * ms, 100 * ms, 3670 * ms }, { 4000 * ms, 100 * ms, 3680 * ms } },
            { { 200, 3500, true }, { 2500, 1500, false } } },
        // Held up while it waited for its block, the source hands that one over late and then
        // skips past the time it stood, a block's worth more: one gap.
        Capture { "SkipPastAStandstill",
            { { 0 }, { 100 * ms, 100 * ms, 140 * ms }, { 200 * ms, 100 * ms, 3640 * ms },
                { 3800 * ms, 100 * ms, 3650 * ms }, { 3900 * ms, 100 * ms, 3740 * ms } },
            { { 200, 3500, true } } },
        // Held up long and skipped: the skip says exactly what is missing.
        Capture { "SkipAfterStandstill", { { 0 }, { 100 * ms }, { 3600 * ms, 100 * ms, 3640 * ms } },
            { { 200, 3400, false } } },
        // Not knowing what the capture holds, a standstill tells nothing.
        Capture { "StandstillOfAnUnknownCapture", { { 0 }, { 100 * ms, 100 * ms, 3640 * ms } }, {}, none }),
    [](const testing::TestParamInfo<Capture> &info) { return std::string(info.param.name); });

} // namespace
