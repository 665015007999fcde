#pragma once

#include <QtGlobal>

#include <vector>

// The program's own start and end sounds, made on demand: two short notes rising for the start,
// falling for the end. Mono 16-bit samples at `sampleRate`; empty for an unknown id.
namespace SoundSynthesis {

inline constexpr int sampleRate = 48000;

std::vector<qint16> samplesFor(quint32 soundId);

} // namespace SoundSynthesis
