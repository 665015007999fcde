#pragma once

#include "platform/automation/AutomationMethod.h"

#include <functional>

class AudioRecorderController;

// The four intents as the methods of one bus interface, titles and choices as annotations.
namespace AppIntents {

inline constexpr char interfaceName[] = "com.larkvelden.Tapewick.Intents";
inline constexpr char noPreviousRecordingError[] = "com.larkvelden.Tapewick.Error.NoPreviousRecording";

// Where the intents find the recording controller when they are called.
using ControllerProvider = std::function<AudioRecorderController &()>;

AutomationInterface makeInterface(ControllerProvider controller);

} // namespace AppIntents
