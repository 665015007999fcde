#pragma once

#include "SignalAnalysis.h"
#include "TestDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace TestSupport {

namespace ToneCheckDetail {

inline double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

} // namespace ToneCheckDetail

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
    std::vector<double> amplitudes;
    std::vector<double> frequencies;
    std::size_t held = 0;
    double firstMiss = -1;
    for (std::size_t at = 0; at + window <= steady.size(); at += window) {
        const auto part = steady.subspan(at, window);
        amplitudes.push_back(SignalAnalysis::toneAmplitude(part, sampleRate, frequency));
        frequencies.push_back(SignalAnalysis::dominantFrequency(part, sampleRate));
        if (std::abs(amplitudes.back() - amplitude) <= 0.2 * amplitude
            && std::abs(frequencies.back() - frequency) <= 15) {
            ++held;
        } else if (firstMiss < 0) {
            firstMiss = double(settle + at) / sampleRate;
        }
    }
    if (2 * held > amplitudes.size()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
        << "the tone in " << held << " of " << amplitudes.size() << " tenths of a second (first miss at "
        << firstMiss << " s); median tone amplitude " << ToneCheckDetail::median(amplitudes) << " (expected "
        << amplitude << "), median strongest frequency " << ToneCheckDetail::median(frequencies)
        << " Hz (expected " << frequency << ")";
}

// Whether the samples carry the test desktop's tone (see holdsTone).
inline ::testing::AssertionResult holdsTheTone(const std::vector<float> &channel, int sampleRate)
{
    return holdsTone(channel, sampleRate, TestDesktop::toneFrequency(), TestDesktop::toneAmplitude());
}

} // namespace TestSupport
