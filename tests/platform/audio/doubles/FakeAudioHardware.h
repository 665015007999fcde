#pragma once

#include "platform/audio/AudioHardware.h"
#include "platform/audio/ChangeListeners.h"

#include <functional>
#include <map>
#include <optional>

// AudioHardware over a device list the test sets up. Listeners are called at once, on the
// calling thread, by emitDefaultInputChange() and by a successful setDefaultInputDevice().
class FakeAudioHardware final : public AudioHardware
{
public:
    std::vector<HardwareDevice> deviceList;
    std::optional<quint32> defaultInput;
    // When set and there is no default input, its read fails with this instead of saying so.
    std::optional<AudioError> defaultInputError;
    // When set, devices() and captureDevices() fail (captureDevices() is then empty).
    std::optional<AudioError> listError;
    // Reads of these device ids fail with the error.
    std::map<quint32, AudioError> deviceErrors;
    // Runs before each device read, so that a test can change the hardware between two reads.
    std::function<void(quint32 deviceId)> beforeDeviceRead;
    std::optional<AudioError> setDefaultError;
    std::vector<quint32> setDefaultCalls;

    AudioResult<std::vector<HardwareDevice>> devices() override;
    AudioResult<HardwareDevice> device(quint32 deviceId) override;
    AudioResult<quint32> defaultInputDeviceId() override;
    AudioResult<void> setDefaultInputDevice(quint32 deviceId) override;
    std::vector<CaptureDevice> captureDevices() override;
    ScopedRegistration listenForDefaultInputChanges(std::function<void()> onChange) override;

    void emitDefaultInputChange();
    int listenerCount() const { return m_listeners.count(); }

    // A device as a test usually needs one.
    static HardwareDevice input(
        quint32 id, const QString &uid, int channels = 2, quint32 transport = TransportCode::builtIn);
    static HardwareDevice output(quint32 id, const QString &uid, int channels = 2);

    static AudioError noSuchDevice();
    // What the server's client library says when nothing listens on its socket.
    static AudioError serverNotRunning();
    // What reading the default input says when the server made an output's monitor the default.
    static AudioError monitorAsDefaultInput();

private:
    ChangeListeners m_listeners;
};
