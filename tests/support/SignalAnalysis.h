#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

// Level and pitch of recorded samples (full scale ±1.0), to tell a recorded tone
// from silence or noise.
namespace TestSupport::SignalAnalysis {

// Level and peak, full scale 1.0.
inline double rms(std::span<const float> samples)
{
    if (samples.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (const float s : samples) {
        sum += double(s) * s;
    }
    return std::sqrt(sum / double(samples.size()));
}

inline double peak(std::span<const float> samples)
{
    double result = 0.0;
    for (const float s : samples) {
        result = std::max(result, std::abs(double(s)));
    }
    return result;
}

// Amplitude of the sine at `frequency` in the samples (a full-scale sine gives 1.0), by Goertzel's
// recurrence, which also works for frequencies between DFT bins.
inline double toneAmplitude(std::span<const float> samples, double sampleRate, double frequency)
{
    if (samples.empty() || sampleRate <= 0.0) {
        return 0.0;
    }
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (const float s : samples) {
        const double current = s + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power
        = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / double(samples.size());
}

// The frequency between `lowest` and `highest` with the strongest sine, to within 1 Hz.
inline double dominantFrequency(
    std::span<const float> samples, double sampleRate, double lowest = 20.0, double highest = 8000.0)
{
    const auto strongest = [&](double from, double to, double step) {
        double best = from;
        double bestAmplitude = -1.0;
        for (double f = from; f <= to; f += step) {
            const double amplitude = toneAmplitude(samples, sampleRate, f);
            if (amplitude > bestAmplitude) {
                bestAmplitude = amplitude;
                best = f;
            }
        }
        return best;
    };
    const double coarse = strongest(lowest, highest, 10.0);
    return strongest(std::max(lowest, coarse - 10.0), std::min(highest, coarse + 10.0), 1.0);
}

} // namespace TestSupport::SignalAnalysis
