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

// The tone's amplitude in most tenths of a second: one scheduling hiccup on a busy machine must
// not fail a test, a tone that is off or distorted must.
inline double medianToneAmplitude(std::span<const float> samples, int sampleRate, double frequency)
{
    const std::size_t window = std::size_t(sampleRate / 10);
    std::vector<double> amplitudes;
    for (std::size_t at = 0; at + window <= samples.size(); at += window) {
        amplitudes.push_back(
            SignalAnalysis::toneAmplitude(samples.subspan(at, window), sampleRate, frequency));
    }
    if (amplitudes.empty()) {
        return SignalAnalysis::toneAmplitude(samples, sampleRate, frequency);
    }
    std::nth_element(amplitudes.begin(), amplitudes.begin() + amplitudes.size() / 2, amplitudes.end());
    return amplitudes[amplitudes.size() / 2];
}

} // namespace ToneCheckDetail

// Whether the samples carry the test desktop's tone at its pitch and level (within 20 %), once
// the source has settled.
inline ::testing::AssertionResult holdsTheTone(const std::vector<float> &channel, int sampleRate)
{
    // The first fifth of a second may hold the source's start-up, when there is more to judge.
    const std::size_t settle
        = channel.size() > std::size_t(sampleRate) * 2 / 5 ? std::size_t(sampleRate / 5) : 0;
    const std::span<const float> steady = std::span(channel).subspan(settle);
    const double expected = TestDesktop::toneAmplitude();
    const double frequency = TestDesktop::toneFrequency();
    const double amplitude = ToneCheckDetail::medianToneAmplitude(steady, sampleRate, frequency);
    // A tenth of a second is plenty to find the pitch and keeps the search quick.
    const double strongest = SignalAnalysis::dominantFrequency(
        steady.first(std::min(steady.size(), std::size_t(sampleRate / 10))), sampleRate);
    if (std::abs(amplitude - expected) > 0.2 * expected || std::abs(strongest - frequency) > 15) {
        return ::testing::AssertionFailure()
            << "tone amplitude " << amplitude << " (expected " << expected << "), strongest frequency "
            << strongest << " Hz (expected " << frequency << ")";
    }
    return ::testing::AssertionSuccess();
}

} // namespace TestSupport
