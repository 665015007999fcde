#include "recording/AudioTransportType.h"

#include "platform/audio/FourCharCode.h"

#include <utility>

namespace {

struct TransportEntry
{
    AudioTransportType type;
    const char *name;
    quint32 code;
};

constexpr std::array<TransportEntry, 15> entries { {
    { AudioTransportType::avb, "avb", fourCharCode("eavb") },
    { AudioTransportType::aggregate, "aggregate", fourCharCode("grup") },
    { AudioTransportType::airplay, "airplay", fourCharCode("airp") },
    { AudioTransportType::autoaggregate, "autoaggregate", fourCharCode("fgrp") },
    { AudioTransportType::bluetooth, "bluetooth", fourCharCode("blue") },
    { AudioTransportType::bluetoothle, "bluetoothle", fourCharCode("blea") },
    { AudioTransportType::builtin, "builtin", fourCharCode("bltn") },
    { AudioTransportType::displayport, "displayport", fourCharCode("dprt") },
    { AudioTransportType::firewire, "firewire", fourCharCode("1394") },
    { AudioTransportType::hdmi, "hdmi", fourCharCode("hdmi") },
    { AudioTransportType::pci, "pci", fourCharCode("pci ") },
    { AudioTransportType::thunderbolt, "thunderbolt", fourCharCode("thun") },
    { AudioTransportType::usb, "usb", fourCharCode("usb ") },
    { AudioTransportType::virtualDevice, "virtual", fourCharCode("virt") },
    // No code maps here: it is what every other code gives.
    { AudioTransportType::unknown, "unknown", 0 },
} };

} // namespace

namespace AudioTransport {

const std::array<AudioTransportType, 15> &allCases()
{
    static const std::array<AudioTransportType, 15> cases = [] {
        std::array<AudioTransportType, 15> result {};
        for (std::size_t index = 0; index < entries.size(); ++index) {
            result[index] = entries[index].type;
        }
        return result;
    }();
    return cases;
}

QString rawValue(AudioTransportType type)
{
    return QString::fromLatin1(entries[static_cast<std::size_t>(type)].name);
}

std::optional<AudioTransportType> fromRawValue(const QString &rawValue)
{
    for (const TransportEntry &entry : entries) {
        if (rawValue == QLatin1String(entry.name)) {
            return entry.type;
        }
    }
    return std::nullopt;
}

AudioTransportType fromCode(quint32 code)
{
    for (const TransportEntry &entry : entries) {
        if (entry.type != AudioTransportType::unknown && entry.code == code) {
            return entry.type;
        }
    }
    return AudioTransportType::unknown;
}

} // namespace AudioTransport
