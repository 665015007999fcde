#include "AudioDoubles.h"

#include "recording/AudioPlatform.h"

namespace AudioDoubles {

Installation::Installation()
{
    AudioPlatform::setHardware(&hardware);
    AudioPlatform::setFileRecorderFactory(&recorders);
    AudioPlatform::setMonitorEngineFactory(&engines);
    AudioPlatform::setExporter(&exporter);
}

Installation::~Installation()
{
    AudioPlatform::setHardware(nullptr);
    AudioPlatform::setFileRecorderFactory(nullptr);
    AudioPlatform::setMonitorEngineFactory(nullptr);
    AudioPlatform::setExporter(nullptr);
}

int Installation::runningEngines() const
{
    int running = 0;
    for (const auto &engine : engines.engines) {
        running += engine->running && !engine->destroyed;
    }
    return running;
}

HardwareDevice namedInput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    HardwareDevice device = FakeAudioHardware::input(id, uid, channels, transport);
    device.name = name;
    return device;
}

HardwareDevice namedOutput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    HardwareDevice device = FakeAudioHardware::output(id, uid, channels);
    device.name = name;
    device.transportType = transport;
    return device;
}

} // namespace AudioDoubles
