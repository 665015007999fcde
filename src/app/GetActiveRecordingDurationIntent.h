#pragma once

class AudioRecorderController;

class GetActiveRecordingDurationIntent
{
public:
    static constexpr char title[] = "Get Duration of Active Recording Session";
    static constexpr char intentClassName[] = "GetActiveRecordingDurationIntent";
    static constexpr double noRecording = -1;

    // Seconds into the current recording at nanosecond resolution, or noRecording. GUI thread.
    double perform(const AudioRecorderController &controller) const;

    // The answer for the recorder's current time; a time that rounds to no nanoseconds at all
    // counts as no recording.
    static double seconds(double currentTime);
};
