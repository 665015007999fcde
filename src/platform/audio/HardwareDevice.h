#pragma once

#include "platform/audio/FourCharCode.h"

#include <QString>

// One audio device as the sound server describes it. Inputs and outputs are separate devices;
// `deviceId` is valid while the device is present, `uid` stays the same across restarts.
struct HardwareDevice
{
    // Sources and sinks are numbered separately by the server; outputs carry this bit so that
    // one number names one device.
    static constexpr quint32 outputIdFlag = 0x8000'0000u;

    quint32 deviceId = 0;
    QString uid;
    QString name;
    quint32 transportType = TransportCode::unknown;
    bool isInput = false;
    bool isOutput = false;
    int inputChannelCount = 0;
    int outputChannelCount = 0;

    friend bool operator==(const HardwareDevice &, const HardwareDevice &) = default;
};

// An entry of the capture-device list: the same input devices, as the capture side names them.
struct CaptureDevice
{
    QString uniqueId;
    QString localizedName;

    friend bool operator==(const CaptureDevice &, const CaptureDevice &) = default;
};
