#pragma once

#include "recording/AudioPlatform.h"

#include "CaughtErrors.h"
#include "FakeAudioHardware.h"
#include "FakeExporter.h"
#include "FakeFileRecorder.h"
#include "FakeMonitorEngine.h"

#include <QString>

namespace AudioDoubles {

// Puts the audio doubles in place of the sound server and the media framework and catches error
// reports and presentations; restores everything at the end.
class Installation : public CaughtErrors
{
public:
    Installation()
    {
        AudioPlatform::setHardware(&hardware);
        AudioPlatform::setFileRecorderFactory(&recorders);
        AudioPlatform::setMonitorEngineFactory(&engines);
        AudioPlatform::setExporter(&exporter);
    }
    ~Installation()
    {
        AudioPlatform::setHardware(nullptr);
        AudioPlatform::setFileRecorderFactory(nullptr);
        AudioPlatform::setMonitorEngineFactory(nullptr);
        AudioPlatform::setExporter(nullptr);
    }

    int runningEngines() const
    {
        int running = 0;
        for (const auto &engine : engines.engines) {
            running += engine->running && !engine->destroyed;
        }
        return running;
    }

    FakeAudioHardware hardware;
    FakeFileRecorderFactory recorders;
    FakeMonitorEngineFactory engines;
    FakeExporter exporter;
};

// Devices with a name and a transport of their own.
inline HardwareDevice namedInput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    HardwareDevice device = FakeAudioHardware::input(id, uid, channels, transport);
    device.name = name;
    return device;
}

inline HardwareDevice namedOutput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    HardwareDevice device = FakeAudioHardware::output(id, uid, channels);
    device.name = name;
    device.transportType = transport;
    return device;
}

} // namespace AudioDoubles
