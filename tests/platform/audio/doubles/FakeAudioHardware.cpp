#include "FakeAudioHardware.h"

#include <algorithm>

AudioError FakeAudioHardware::noSuchDevice()
{
    return { AudioError::Domain::soundServer, 5, QStringLiteral("The audio device does not exist.") };
}

HardwareDevice FakeAudioHardware::input(quint32 id, const QString &uid, int channels, quint32 transport)
{
    return { id, uid, uid, transport, true, false, channels, 0 };
}

HardwareDevice FakeAudioHardware::output(quint32 id, const QString &uid, int channels)
{
    return { id | HardwareDevice::outputIdFlag, uid, uid, TransportCode::builtIn, false, true, 0, channels };
}

AudioResult<std::vector<HardwareDevice>> FakeAudioHardware::devices()
{
    if (listError) {
        return *listError;
    }
    return deviceList;
}

AudioResult<HardwareDevice> FakeAudioHardware::device(quint32 deviceId)
{
    if (beforeDeviceRead) {
        beforeDeviceRead(deviceId);
    }
    if (const auto failing = deviceErrors.find(deviceId); failing != deviceErrors.end()) {
        return failing->second;
    }
    const auto found = std::find_if(deviceList.begin(), deviceList.end(),
        [&](const HardwareDevice &device) { return device.deviceId == deviceId; });
    if (found == deviceList.end()) {
        return noSuchDevice();
    }
    return *found;
}

AudioResult<quint32> FakeAudioHardware::defaultInputDeviceId()
{
    if (!defaultInput && defaultInputError) {
        return *defaultInputError;
    }
    if (!defaultInput) {
        AudioError none { AudioError::Domain::soundServer, 5,
            QStringLiteral("There is no default input device.") };
        none.deviceGone = true;
        return none;
    }
    return *defaultInput;
}

AudioResult<void> FakeAudioHardware::setDefaultInputDevice(quint32 deviceId)
{
    setDefaultCalls.push_back(deviceId);
    if (setDefaultError) {
        return *setDefaultError;
    }
    const auto read = device(deviceId);
    if (!read || !read.value().isInput) {
        return noSuchDevice();
    }
    const bool changed = defaultInput != deviceId;
    defaultInput = deviceId;
    if (changed) {
        emitDefaultInputChange();
    }
    return {};
}

std::vector<CaptureDevice> FakeAudioHardware::captureDevices()
{
    std::vector<CaptureDevice> captures;
    if (listError) {
        return captures;
    }
    for (const HardwareDevice &device : deviceList) {
        if (device.isInput) {
            captures.push_back({ device.uid, device.name });
        }
    }
    return captures;
}

ScopedRegistration FakeAudioHardware::listenForDefaultInputChanges(std::function<void()> onChange)
{
    return m_listeners.add(std::move(onChange));
}

void FakeAudioHardware::emitDefaultInputChange()
{
    m_listeners.notify();
}

AudioError FakeAudioHardware::serverNotRunning()
{
    AudioError refused { AudioError::Domain::soundServer, 6,
        QStringLiteral("The sound server failed: Connection refused") };
    refused.serverNotRunning = true;
    return refused;
}

AudioError FakeAudioHardware::monitorAsDefaultInput()
{
    AudioError monitor { AudioError::Domain::soundServer, 5,
        QStringLiteral("The default input \"Monitor of Speakers\" is not an input device.") };
    monitor.outputMonitor = true;
    return monitor;
}
