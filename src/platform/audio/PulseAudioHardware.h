#pragma once

#include "platform/audio/AudioHardware.h"
#include "platform/audio/ChangeListeners.h"

#include <QObject>
#include <QThreadPool>

#include <chrono>
#include <memory>

class PulseClient;

// AudioHardware over the PulseAudio client API. Server work runs on the client's own thread.
// Reads answer from what the server's change events told, so that a slow server holds up no
// menu; before that is known, and for changes, they wait one round trip at most the timeout,
// so a dead or stuck server gives an error.
class PulseAudioHardware final : public AudioHardware
{
public:
    struct Options
    {
        QString server; // empty: the user's default server
        std::chrono::milliseconds timeout { 2000 };
    };

    PulseAudioHardware();
    explicit PulseAudioHardware(Options options);
    ~PulseAudioHardware() override;

    // The instance the program uses; created on first use on the GUI thread.
    static PulseAudioHardware &shared();

    AudioResult<std::vector<HardwareDevice>> devices() override;
    AudioResult<HardwareDevice> device(quint32 deviceId) override;
    AudioResult<quint32> defaultInputDeviceId() override;
    AudioResult<void> setDefaultInputDevice(quint32 deviceId) override;
    void setDefaultInputDeviceAsync(quint32 deviceId, std::function<void(AudioResult<void>)> done) override;
    std::vector<CaptureDevice> captureDevices() override;
    ScopedRegistration listenForDefaultInputChanges(std::function<void()> onChange) override;

private:
    std::unique_ptr<QObject> m_guiContext;
    std::unique_ptr<PulseClient> m_client;
    ChangeListeners m_listeners;
    // One thread, so that changes reach the server in the order they were asked for.
    QThreadPool m_changes;
};
