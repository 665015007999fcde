#pragma once

#include "platform/automation/AutomationMethod.h"

#include <QDBusConnection>

#include <functional>
#include <memory>

class AudioRecorderController;
class AutomationService;

// The four intents as the methods of one bus interface, titles and choices as annotations.
namespace AppIntents {

inline constexpr char interfaceName[] = "com.larkvelden.Tapewick.Intents";
inline constexpr char noPreviousRecordingError[] = "com.larkvelden.Tapewick.Error.NoPreviousRecording";
inline constexpr char quittingError[] = "com.larkvelden.Tapewick.Error.Quitting";
inline constexpr char cannotRecordError[] = "com.larkvelden.Tapewick.Error.CannotRecord";

// Where the intents find the recording controller when they are called.
using ControllerProvider = std::function<AudioRecorderController &()>;

AutomationInterface makeInterface(ControllerProvider controller);

// The intents of the shared state, answering at `path`; when they cannot, the log says why and
// the program runs without them.
std::unique_ptr<AutomationService> serve(const QDBusConnection &connection, const QString &path);

} // namespace AppIntents
