#pragma once

#include "kit/foundation/errors/Error.h"
#include "platform/audio/HardwareDevice.h"
#include "recording/AudioTransportType.h"

#include <QString>

#include <vector>

// One audio device as the recording core sees it: a snapshot that nothing updates.
struct AudioDevice
{
    // Device errors as the menu shows them; only `invalidDevice` is ever produced.
    class Error : public ::Error
    {
    public:
        enum Case : qint64 { invalidDevice = 0, volumeNotSupported = 1, invalidVolumeValue = 2 };

        explicit Error(Case value);

        Case value() const { return m_case; }

        QString domain() const override { return QStringLiteral("Tapewick.AudioDevice.Error"); }
        qint64 code() const override { return m_case; }
        QVariantMap userInfo() const override { return {}; }
        ErrorPtr clone() const override { return std::make_shared<Error>(*this); }
        [[noreturn]] void raise() const override { throw *this; }

    private:
        Case m_case;
    };

    QString id; // the persistent unique identifier
    QString localizedName;
    quint32 deviceID = 0; // valid while the device is present
    bool isInput = false;
    bool isOutput = false;
    int inputChannelCount = 0;
    int outputChannelCount = 0;
    AudioTransportType transportType = AudioTransportType::unknown;

    friend bool operator==(const AudioDevice &, const AudioDevice &) = default;

    // Reads one device; throws the read's error.
    static AudioDevice fromDeviceID(quint32 deviceID);
    // The device whose `id` is `uniqueID`, read afresh; throws Error::invalidDevice when none is.
    static AudioDevice fromUniqueID(const QString &uniqueID);
    // The system's default input device; throws the read's error.
    static AudioDevice defaultInputDevice();

    // Every usable device, built-in ones first; empty when the list cannot be read.
    static std::vector<AudioDevice> all();
    // The devices of all() that have input streams, in the same order.
    static std::vector<AudioDevice> inputDevices();
};

size_t qHash(const AudioDevice &device, size_t seed = 0);

// The input devices the status menu offers, in the sound server's order.
namespace AudioCaptureDevices {
std::vector<CaptureDevice> audioInputDevices();
}
