#include "SignalAnalysis.h"
#include "ToneCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <vector>

namespace SignalAnalysis = TestSupport::SignalAnalysis;

namespace {

constexpr double rate = 48000.0;

std::vector<float> sine(double frequency, double amplitude, double seconds, double phase = 0.3)
{
    std::vector<float> samples(std::size_t(rate * seconds));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i]
            = float(amplitude * std::sin(2.0 * std::numbers::pi * frequency * double(i) / rate + phase));
    }
    return samples;
}

// A tone of 0.5 at 440 Hz mixed with one of 0.2 at 1000 Hz: each is told apart, silence is zero.
TEST(SignalAnalysisTest, LevelsAndTonesOfMadeUpSignals)
{
    std::vector<float> mix = sine(440.0, 0.5, 1.0);
    EXPECT_NEAR(SignalAnalysis::rms(mix), 0.5 / std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(SignalAnalysis::peak(mix), 0.5, 1e-3);
    const std::vector<float> other = sine(1000.0, 0.2, 1.0, 1.1);
    for (std::size_t i = 0; i < mix.size(); ++i) {
        mix[i] += other[i];
    }
    EXPECT_NEAR(SignalAnalysis::toneAmplitude(mix, rate, 440.0), 0.5, 0.01);
    EXPECT_NEAR(SignalAnalysis::toneAmplitude(mix, rate, 1000.0), 0.2, 0.01);
    EXPECT_LT(SignalAnalysis::toneAmplitude(mix, rate, 700.0), 0.01);
    const std::vector<float> silence(4800, 0.0f);
    EXPECT_EQ(SignalAnalysis::rms(silence), 0.0);
    EXPECT_EQ(SignalAnalysis::peak(silence), 0.0);
    EXPECT_EQ(SignalAnalysis::toneAmplitude({}, rate, 440.0), 0.0);
    // Between the search's coarse steps.
    EXPECT_NEAR(SignalAnalysis::dominantFrequency(sine(437.0, 0.3, 1.0), rate), 437.0, 1.0);
    EXPECT_NEAR(SignalAnalysis::dominantFrequency(sine(3003.0, 0.3, 0.5), rate), 3003.0, 1.0);
}

// A recording of the 440 Hz tone at 0.5 with a stretch of silence where the capture lost it
// or the source gave nothing for a while, as a busy machine may cause.
struct Recording
{
    const char *name;
    double frequency;
    double amplitude;
    double seconds;
    double silentFrom;
    double silentFor;
    bool holdsTheTone;
};

void PrintTo(const Recording &recording, std::ostream *out)
{
    *out << recording.name;
}

class ToneCheckTest : public testing::TestWithParam<Recording>
{
};

TEST_P(ToneCheckTest, JudgesMostTenthsOfASecond)
{
    const Recording recording = GetParam();
    std::vector<float> samples = sine(recording.frequency, recording.amplitude, recording.seconds);
    const auto from = std::ptrdiff_t(recording.silentFrom * rate);
    const auto to = std::min(
        std::ptrdiff_t((recording.silentFrom + recording.silentFor) * rate), std::ptrdiff_t(samples.size()));
    std::fill(samples.begin() + from, samples.begin() + std::max(from, to), 0.0f);
    EXPECT_EQ(bool(TestSupport::holdsTone(samples, int(rate), 440.0, 0.5)), recording.holdsTheTone);
}

INSTANTIATE_TEST_SUITE_P(Recordings, ToneCheckTest,
    testing::Values(Recording { "Steady", 440, 0.5, 2.0, 0, 0, true },
        // Right where the judging starts, after the source's first fifth of a second.
        Recording { "ATenthLostAfterSettling", 440, 0.5, 2.0, 0.2, 0.1, true },
        Recording { "ATenthLostMidway", 440, 0.5, 2.0, 1.03, 0.1, true },
        Recording { "AThirdOfASecondLost", 440, 0.5, 2.0, 0.75, 0.33, true },
        Recording { "ASecondLost", 440, 0.5, 2.0, 0.6, 1.0, false },
        Recording { "NothingButTheStart", 440, 0.5, 2.0, 0.2, 1.8, false },
        Recording { "AShortTake", 440, 0.5, 0.3, 0, 0, true },
        Recording { "AShortTakeThatFallsSilent", 440, 0.5, 0.3, 0.1, 0.2, false },
        Recording { "OffPitch", 470, 0.5, 2.0, 0, 0, false },
        Recording { "TooQuiet", 440, 0.35, 2.0, 0, 0, false },
        Recording { "TooLoud", 440, 0.65, 2.0, 0, 0, false }),
    [](const testing::TestParamInfo<Recording> &info) { return std::string(info.param.name); });

} // namespace
