#include "app/GetRecordingStateIntent.h"

#include "recording/AudioRecorderController.h"

RecordingStateAppEnum GetRecordingStateIntent::perform(const AudioRecorderController &controller) const
{
    return RecordingStateAppEnums::from(controller.recorder().state());
}
