#include "app/GetActiveRecordingDurationIntent.h"

#include "kit/foundation/time/Duration.h"
#include "platform/audio/AudioFileRecorder.h"
#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"

double GetActiveRecordingDurationIntent::perform(const AudioRecorderController &controller) const
{
    // A recording that a failure ended keeps its file recorder, and the time it had reached.
    if (controller.recorder().state() == AudioRecorder::State::stopped) {
        return noRecording;
    }
    const AudioFileRecorder *recorder = controller.recorder().recorder();
    return seconds(recorder ? recorder->currentTime() : 0);
}

double GetActiveRecordingDurationIntent::seconds(double currentTime)
{
    const Duration duration = toDuration(currentTime);
    if (duration.count() == 0) {
        return noRecording;
    }
    return static_cast<double>(duration.count()) / 1e9;
}
