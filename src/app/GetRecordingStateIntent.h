#pragma once

#include "app/RecordingStateAppEnum.h"

class AudioRecorderController;

class GetRecordingStateIntent
{
public:
    static constexpr char title[] = "Get Recording State";
    static constexpr char intentClassName[] = "GetRecordingStateIntent";

    // GUI thread.
    RecordingStateAppEnum perform(const AudioRecorderController &controller) const;
};
