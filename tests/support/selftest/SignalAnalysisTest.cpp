#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
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

} // namespace
