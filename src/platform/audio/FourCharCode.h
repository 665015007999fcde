#pragma once

#include <QtGlobal>

// Four-character codes as the recording core spells formats and transports ('aac ', 'usb ').
constexpr quint32 fourCharCode(const char (&text)[5])
{
    return (quint32(quint8(text[0])) << 24) | (quint32(quint8(text[1])) << 16)
        | (quint32(quint8(text[2])) << 8) | quint32(quint8(text[3]));
}

namespace AudioFormatId {
inline constexpr quint32 linearPcm = fourCharCode("lpcm");
inline constexpr quint32 aac = fourCharCode("aac ");
} // namespace AudioFormatId

// How a device is attached, in the codes the recording core maps to its transport cases.
namespace TransportCode {
inline constexpr quint32 unknown = 0;
inline constexpr quint32 builtIn = fourCharCode("bltn");
inline constexpr quint32 usb = fourCharCode("usb ");
inline constexpr quint32 pci = fourCharCode("pci ");
inline constexpr quint32 fireWire = fourCharCode("1394");
inline constexpr quint32 bluetooth = fourCharCode("blue");
inline constexpr quint32 thunderbolt = fourCharCode("thun");
inline constexpr quint32 hdmi = fourCharCode("hdmi");
inline constexpr quint32 displayPort = fourCharCode("dprt");
inline constexpr quint32 virtualDevice = fourCharCode("virt");
} // namespace TransportCode
