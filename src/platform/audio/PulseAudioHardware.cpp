#include "platform/audio/PulseAudioHardware.h"

#include "platform/audio/PulseClient.h"

#include <QCoreApplication>
#include <QMetaObject>

PulseAudioHardware::PulseAudioHardware()
    : PulseAudioHardware(Options {})
{ }

PulseAudioHardware::PulseAudioHardware(Options options)
    : m_guiContext(std::make_unique<QObject>())
{
    m_changes.setMaxThreadCount(1);
    QObject *guiContext = m_guiContext.get();
    m_client = std::make_unique<PulseClient>(options.server, options.timeout, [this, guiContext] {
        // Runs on the client's thread: hand the change to the GUI thread, where listeners live.
        QMetaObject::invokeMethod(
            guiContext, [this] { m_listeners.notify(); }, Qt::QueuedConnection);
    });
}

PulseAudioHardware::~PulseAudioHardware()
{
    // Stops the client's thread first, so no change is posted while the GUI context goes away.
    m_changes.waitForDone();
    m_client.reset();
}

PulseAudioHardware &PulseAudioHardware::shared()
{
    static PulseAudioHardware instance;
    return instance;
}

AudioResult<std::vector<HardwareDevice>> PulseAudioHardware::devices()
{
    return m_client->devices();
}

AudioResult<HardwareDevice> PulseAudioHardware::device(quint32 deviceId)
{
    return m_client->device(deviceId);
}

AudioResult<quint32> PulseAudioHardware::defaultInputDeviceId()
{
    return m_client->defaultInputDeviceId();
}

AudioResult<void> PulseAudioHardware::setDefaultInputDevice(quint32 deviceId)
{
    return m_client->setDefaultInputDevice(deviceId);
}

void PulseAudioHardware::setDefaultInputDeviceAsync(
    quint32 deviceId, std::function<void(AudioResult<void>)> done)
{
    QObject *guiContext = m_guiContext.get();
    m_changes.start([this, deviceId, guiContext, done = std::move(done)] {
        AudioResult<void> result = m_client->setDefaultInputDevice(deviceId);
        QMetaObject::invokeMethod(
            guiContext, [done, result = std::move(result)] { done(result); }, Qt::QueuedConnection);
    });
}

std::vector<CaptureDevice> PulseAudioHardware::captureDevices()
{
    std::vector<CaptureDevice> captures;
    const auto all = m_client->devices();
    if (!all) {
        return captures;
    }
    for (const HardwareDevice &device : all.value()) {
        if (device.isInput) {
            captures.push_back({ device.uid, device.name });
        }
    }
    return captures;
}

ScopedRegistration PulseAudioHardware::listenForDefaultInputChanges(std::function<void()> onChange)
{
    // The client watches from its start, but its first connection may still be on its way: a
    // change made once this returns must not be missed. While the server is away, a listener
    // simply hears nothing.
    m_client->awaitWatching();
    return m_listeners.add(std::move(onChange));
}
