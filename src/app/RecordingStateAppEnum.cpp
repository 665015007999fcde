#include "app/RecordingStateAppEnum.h"

namespace RecordingStateAppEnums {

// The twins share their raw texts.
QString rawValue(RecordingStateAppEnum state)
{
    return AudioRecorder::rawValue(toState(state));
}

std::optional<RecordingStateAppEnum> fromRawValue(const QString &raw)
{
    const std::optional<AudioRecorder::State> state = AudioRecorder::stateFromRawValue(raw);
    return state ? std::optional(from(*state)) : std::nullopt;
}

QString displayName(RecordingStateAppEnum state)
{
    // The raw text with a capital, as the menu-bar item also says it.
    const QString raw = rawValue(state);
    return raw.left(1).toUpper() + raw.mid(1);
}

RecordingStateAppEnum from(AudioRecorder::State state)
{
    switch (state) {
    case AudioRecorder::State::stopped:
        return RecordingStateAppEnum::stopped;
    case AudioRecorder::State::recording:
        return RecordingStateAppEnum::recording;
    case AudioRecorder::State::paused:
        return RecordingStateAppEnum::paused;
    }
    Q_UNREACHABLE();
}

AudioRecorder::State toState(RecordingStateAppEnum state)
{
    switch (state) {
    case RecordingStateAppEnum::stopped:
        return AudioRecorder::State::stopped;
    case RecordingStateAppEnum::recording:
        return AudioRecorder::State::recording;
    case RecordingStateAppEnum::paused:
        return AudioRecorder::State::paused;
    }
    Q_UNREACHABLE();
}

} // namespace RecordingStateAppEnums
