#pragma once

#include "platform/audio/AudioError.h"
#include "platform/audio/HardwareDevice.h"
#include "platform/audio/ScopedRegistration.h"

#include <functional>
#include <vector>

// The system's audio devices and its default input. Reads are synchronous and bounded in time,
// and once the server has been heard, answered without waiting on it; change callbacks run on
// the GUI thread.
class AudioHardware
{
public:
    virtual ~AudioHardware() = default;

    // Every input and output device, inputs first, each group in the server's order.
    virtual AudioResult<std::vector<HardwareDevice>> devices() = 0;
    virtual AudioResult<HardwareDevice> device(quint32 deviceId) = 0;
    virtual AudioResult<quint32> defaultInputDeviceId() = 0;
    virtual AudioResult<void> setDefaultInputDevice(quint32 deviceId) = 0;
    // The same without waiting for the server: `done` runs on the GUI thread with the outcome.
    virtual void setDefaultInputDeviceAsync(quint32 deviceId, std::function<void(AudioResult<void>)> done)
    {
        done(setDefaultInputDevice(deviceId));
    }
    // The input devices in the server's order; empty when they cannot be read.
    virtual std::vector<CaptureDevice> captureDevices() = 0;
    // `onChange` runs once per change of the default input device until the registration ends.
    virtual ScopedRegistration listenForDefaultInputChanges(std::function<void()> onChange) = 0;
    // Linux asks no permission for the microphone: access is always granted.
    virtual bool requestMicrophoneAccess() { return true; }
};
