#include "recording/AudioDevice.h"

#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include "platform/audio/AudioHardware.h"

#include "kit/foundation/errors/ErrorReporting.h"

#include <QHashFunctions>

#include <algorithm>

namespace {

// The private aggregates the system builds around its default devices are no choice of the user.
const QString privateAggregatePrefix = QStringLiteral("CADefaultDeviceAggregate-");

AudioDevice deviceFromHardware(const HardwareDevice &hardware)
{
    AudioDevice device;
    device.localizedName
        = QString(hardware.name).replace(QStringLiteral("BlackHole 16ch"), QStringLiteral("BlackHole"));
    device.id = hardware.uid;
    device.transportType = AudioTransport::fromCode(hardware.transportType);
    device.isInput = hardware.isInput;
    device.isOutput = hardware.isOutput;
    device.inputChannelCount = hardware.inputChannelCount;
    device.outputChannelCount = hardware.outputChannelCount;
    device.deviceID = hardware.deviceId;
    return device;
}

} // namespace

AudioDevice::Error::Error(Case value)
    : m_case(value)
{
    setWhat(localizedDescription());
}

AudioDevice AudioDevice::fromDeviceID(quint32 deviceID)
{
    auto hardware = AudioPlatform::hardware().device(deviceID);
    if (!hardware) {
        throw AudioErrors::hardwareError(hardware.error());
    }
    return deviceFromHardware(hardware.value());
}

AudioDevice AudioDevice::fromUniqueID(const QString &uniqueID)
{
    const std::vector<AudioDevice> devices = all();
    const auto match = std::find_if(
        devices.begin(), devices.end(), [&](const AudioDevice &device) { return device.id == uniqueID; });
    if (match == devices.end()) {
        throw Error(Error::invalidDevice);
    }
    return fromDeviceID(match->deviceID);
}

AudioDevice AudioDevice::defaultInputDevice()
{
    const auto deviceID = AudioPlatform::hardware().defaultInputDeviceId();
    if (!deviceID) {
        throw AudioErrors::hardwareError(deviceID.error());
    }
    return fromDeviceID(deviceID.value());
}

std::vector<AudioDevice> AudioDevice::all()
{
    auto listed = AudioPlatform::hardware().devices();
    if (!listed) {
        return {};
    }
    QVariantList deviceIDs;
    for (const HardwareDevice &hardware : listed.value()) {
        deviceIDs.append(hardware.deviceId);
    }
    std::vector<AudioDevice> devices;
    devices.reserve(listed.value().size());
    for (const HardwareDevice &hardware : listed.value()) {
        // Each device is read afresh: one that went since the listing is reported and left out.
        const auto read = AudioPlatform::hardware().device(hardware.deviceId);
        if (!read) {
            (void)reported(AudioErrors::hardwareError(read.error()),
                { { QStringLiteral("deviceID"), hardware.deviceId },
                    { QStringLiteral("deviceIDs"), deviceIDs } });
            continue;
        }
        devices.push_back(deviceFromHardware(read.value()));
    }
    // Built-in devices first; otherwise the server's order stays.
    std::stable_sort(devices.begin(), devices.end(), [](const AudioDevice &first, const AudioDevice &second) {
        return first.transportType == AudioTransportType::builtin
            && second.transportType != AudioTransportType::builtin;
    });
    std::erase_if(
        devices, [](const AudioDevice &device) { return device.id.startsWith(privateAggregatePrefix); });
    return devices;
}

std::vector<AudioDevice> AudioDevice::inputDevices()
{
    std::vector<AudioDevice> devices = all();
    std::erase_if(devices, [](const AudioDevice &device) { return !device.isInput; });
    return devices;
}

size_t qHash(const AudioDevice &device, size_t seed)
{
    return qHashMulti(seed, device.id, device.localizedName, device.deviceID, device.isInput, device.isOutput,
        device.inputChannelCount, device.outputChannelCount, static_cast<int>(device.transportType));
}

namespace AudioCaptureDevices {

std::vector<CaptureDevice> audioInputDevices()
{
    std::vector<CaptureDevice> devices = AudioPlatform::hardware().captureDevices();
    std::erase_if(devices,
        [](const CaptureDevice &device) { return device.uniqueId.startsWith(privateAggregatePrefix); });
    return devices;
}

} // namespace AudioCaptureDevices
