#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// How an audio device is attached. Stored as its case name.
enum class AudioTransportType {
    avb,
    aggregate,
    airplay,
    autoaggregate,
    bluetooth,
    bluetoothle,
    builtin,
    displayport,
    firewire,
    hdmi,
    pci,
    thunderbolt,
    usb,
    virtualDevice, // stored as "virtual"
    unknown,
};

namespace AudioTransport {

// Every case in declaration order.
const std::array<AudioTransportType, 15> &allCases();

QString rawValue(AudioTransportType type);
// Accepts exactly the case names.
std::optional<AudioTransportType> fromRawValue(const QString &rawValue);
// The case for a device's four-character transport code; unlisted codes are `unknown`.
AudioTransportType fromCode(quint32 code);

} // namespace AudioTransport
