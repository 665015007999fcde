#pragma once

#include "platform/audio/AudioFileRecorder.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace AudioTest {

// Runs pactl against the test desktop's sound server; returns its trimmed output, or nothing when
// it failed.
std::optional<QString> pactl(const QStringList &arguments);

// Records until the recorder holds `seconds` of audio; false on timeout.
bool recordUntil(AudioFileRecorder &recorder, double seconds);

// Collects what a recorder reports at its end.
struct EndWatcher
{
    int calls = 0;
    std::optional<bool> finished;
    std::optional<AudioError> error;

    void attach(AudioFileRecorder &recorder);
    bool waitForEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10));
};

// The tone the test desktop's default source plays: 440 Hz, a sine at half of full scale.
inline constexpr double toneHz = 440;
inline constexpr double toneRmsDb = -9.03;

} // namespace AudioTest
