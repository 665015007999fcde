#include "app/SetRecordingStateIntent.h"

#include "recording/AudioRecorderController.h"

void SetRecordingStateIntent::perform(AudioRecorderController &controller) const
{
    switch (state) {
    case RecordingStateAppEnum::stopped:
        controller.stopRecording();
        break;
    case RecordingStateAppEnum::recording:
        controller.start();
        break;
    case RecordingStateAppEnum::paused:
        controller.pause();
        break;
    }
}
