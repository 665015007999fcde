#pragma once

#include "app/RecordingStateAppEnum.h"

class AudioRecorderController;

class SetRecordingStateIntent
{
public:
    static constexpr char title[] = "Set Recording State";
    static constexpr char intentClassName[] = "SetRecordingStateIntent";
    static constexpr char stateTitle[] = "State";
    static constexpr RecordingStateAppEnum defaultState = RecordingStateAppEnum::recording;
    // What automation shows for the intent, `${state}` standing for the chosen state.
    static constexpr char parameterSummary[] = "Set Tapewick to ${state}";
    // The answer to a start once the program has begun to end, which starts nothing.
    static constexpr char quitting[] = "Tapewick is quitting and starts no recording";

    RecordingStateAppEnum state = defaultState;

    // Hands the request to the controller and returns; the sounds and the recorder's change
    // follow on its own tasks. GUI thread.
    void perform(AudioRecorderController &controller) const;
};
