#pragma once

#include "SignalAnalysis.h"
#include "TestDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace TestSupport {

// Whether the samples carry a sine of `frequency` Hz with the peak `amplitude` (level within 20 %,
// pitch within 15 Hz) in most tenths of a second, once the source has settled: one scheduling
// hiccup on a busy machine must not fail a test, a lost second or a tone that is off or
// distorted must.
inline ::testing::AssertionResult holdsTone(
    std::span<const float> channel, int sampleRate, double frequency, double amplitude)
{
    // The first fifth of a second may hold the source's start-up, when there is more to judge.
    const std::size_t settle
        = channel.size() > std::size_t(sampleRate) * 2 / 5 ? std::size_t(sampleRate / 5) : 0;
    const std::span<const float> steady = channel.subspan(settle);
    const std::size_t window = std::min(steady.size(), std::size_t(sampleRate / 10));
    if (window == 0) {
        return ::testing::AssertionFailure() << "no samples to judge";
    }
    std::size_t windows = 0;
    std::size_t held = 0;
    ::testing::Message firstMiss;
    for (std::size_t at = 0; at + window <= steady.size(); at += window, ++windows) {
        const auto part = steady.subspan(at, window);
        const double level = SignalAnalysis::toneAmplitude(part, sampleRate, frequency);
        const double pitch = SignalAnalysis::dominantFrequency(part, sampleRate);
        if (std::abs(level - amplitude) <= 0.2 * amplitude && std::abs(pitch - frequency) <= 15) {
            ++held;
        } else if (held == windows) {
            firstMiss << " (first miss at " << double(settle + at) / sampleRate << " s: tone amplitude "
                      << level << ", strongest frequency " << pitch << " Hz)";
        }
    }
    if (2 * held > windows) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
        << "the tone (amplitude " << amplitude << ", " << frequency << " Hz) in " << held << " of " << windows
        << " tenths of a second" << firstMiss;
}

// Whether the samples carry the test desktop's tone (see holdsTone).
inline ::testing::AssertionResult holdsTheTone(const std::vector<float> &channel, int sampleRate)
{
    return holdsTone(channel, sampleRate, TestDesktop::toneFrequency(), TestDesktop::toneAmplitude());
}

} // namespace TestSupport
