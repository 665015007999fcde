#include "recording/InputAvailability.h"

#include "recording/AudioDevice.h"
#include "recording/AudioPlatform.h"
#include "recording/RecordingTexts.h"

#include "platform/audio/AudioHardware.h"

namespace InputAvailability {

std::optional<Reason> check()
{
    // The same list the menu offers: what it shows is what can be recorded from. Each start asks,
    // so the server is asked why only when there is nothing.
    if (!AudioCaptureDevices::audioInputDevices().empty()) {
        return std::nullopt;
    }
    const auto listed = AudioPlatform::hardware().devices();
    return !listed && listed.error().serverNotRunning ? Reason::soundServerNotRunning
                                                      : Reason::noInputDevices;
}

QString description(Reason reason, Purpose purpose)
{
    const bool recording = purpose == Purpose::recording;
    switch (reason) {
    case Reason::soundServerNotRunning:
        return recording ? RecordingTexts::soundServerNotRunning()
                         : RecordingTexts::soundServerNotRunningToMonitor();
    case Reason::noInputDevices:
        return recording ? RecordingTexts::noInputDevices() : RecordingTexts::noInputDevicesToMonitor();
    }
    return {};
}

QString suggestion(Reason reason)
{
    switch (reason) {
    case Reason::soundServerNotRunning:
        return RecordingTexts::soundServerNotRunningSuggestion();
    case Reason::noInputDevices:
        return RecordingTexts::noInputDevicesSuggestion();
    }
    return {};
}

QString text(Reason reason, Purpose purpose)
{
    return description(reason, purpose) + u' ' + suggestion(reason);
}

NSError error(Reason reason, Purpose purpose)
{
    return NSError::appError(description(reason, purpose), suggestion(reason));
}

} // namespace InputAvailability
