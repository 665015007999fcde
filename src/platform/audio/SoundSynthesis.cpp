#include "platform/audio/SoundSynthesis.h"

#include "platform/audio/SystemSoundPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace SoundSynthesis {

namespace {

void appendNote(std::vector<qint16> &samples, double frequency, int milliseconds)
{
    const int count = sampleRate * milliseconds / 1000;
    const int fade = sampleRate * 6 / 1000; // soft edges, no clicks
    for (int i = 0; i < count; ++i) {
        const double envelope = std::min({ 1.0, double(i) / fade, double(count - 1 - i) / fade });
        const double value = 0.3 * envelope * std::sin(2 * std::numbers::pi * frequency * i / sampleRate);
        samples.push_back(qint16(std::lround(value * 32767)));
    }
}

} // namespace

std::vector<qint16> samplesFor(quint32 soundId)
{
    std::vector<qint16> samples;
    if (soundId == SystemSoundId::beginRecording) {
        appendNote(samples, 880, 70);
        appendNote(samples, 1320, 110);
    } else if (soundId == SystemSoundId::endRecording) {
        appendNote(samples, 1320, 70);
        appendNote(samples, 880, 110);
    }
    return samples;
}

} // namespace SoundSynthesis
