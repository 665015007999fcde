#include "SignalAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace TestSupport::SignalAnalysis {

double rms(std::span<const float> samples)
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

double peak(std::span<const float> samples)
{
    double result = 0.0;
    for (const float s : samples) {
        result = std::max(result, std::abs(double(s)));
    }
    return result;
}

// Goertzel's recurrence, which also works for frequencies between DFT bins.
double toneAmplitude(std::span<const float> samples, double sampleRate, double frequency)
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

double dominantFrequency(std::span<const float> samples, double sampleRate, double lowest, double highest)
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
