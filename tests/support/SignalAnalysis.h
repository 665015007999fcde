#pragma once

#include <span>

// Level and pitch of recorded samples (full scale ±1.0), to tell a recorded tone
// from silence or noise.
namespace TestSupport::SignalAnalysis {

double rms(std::span<const float> samples);
double peak(std::span<const float> samples);

// Amplitude of the sine at `frequency` in the samples (a full-scale sine gives 1.0).
double toneAmplitude(std::span<const float> samples, double sampleRate, double frequency);

// The frequency between `lowest` and `highest` with the strongest sine, to within 1 Hz.
double dominantFrequency(
    std::span<const float> samples, double sampleRate, double lowest = 20.0, double highest = 8000.0);

} // namespace TestSupport::SignalAnalysis
