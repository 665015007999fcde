#pragma once

#include "recording/AudioRecorder.h"

#include <QString>

#include <array>
#include <optional>

// The recording state as automation sees it; its raw value is the case name.
enum class RecordingStateAppEnum { stopped, recording, paused };

namespace RecordingStateAppEnums {

inline constexpr std::array<RecordingStateAppEnum, 3> allCases { RecordingStateAppEnum::stopped,
    RecordingStateAppEnum::recording, RecordingStateAppEnum::paused };

inline constexpr char typeDisplayName[] = "Recording State";

QString rawValue(RecordingStateAppEnum state);
// Exactly a case name, letter case included; anything else is none.
std::optional<RecordingStateAppEnum> fromRawValue(const QString &raw);
// "Stopped", "Recording", "Paused".
QString displayName(RecordingStateAppEnum state);

RecordingStateAppEnum from(AudioRecorder::State state);
AudioRecorder::State toState(RecordingStateAppEnum state);

} // namespace RecordingStateAppEnums
