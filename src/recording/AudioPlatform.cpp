#include "recording/AudioPlatform.h"

#include "platform/audio/GstFileRecorder.h"
#include "platform/audio/GstMonitorEngine.h"
#include "platform/audio/GstPassthroughExporter.h"
#include "platform/audio/PulseAudioHardware.h"

namespace {

AudioHardware *hardwareOverride = nullptr;
AudioFileRecorderFactory *recorderFactoryOverride = nullptr;
AudioMonitorEngineFactory *monitorFactoryOverride = nullptr;
AudioExporter *exporterOverride = nullptr;

} // namespace

AudioHardware &AudioPlatform::hardware()
{
    return hardwareOverride ? *hardwareOverride : PulseAudioHardware::shared();
}

AudioFileRecorderFactory &AudioPlatform::fileRecorderFactory()
{
    static GstFileRecorderFactory factory;
    return recorderFactoryOverride ? *recorderFactoryOverride : factory;
}

AudioMonitorEngineFactory &AudioPlatform::monitorEngineFactory()
{
    static GstMonitorEngineFactory factory;
    return monitorFactoryOverride ? *monitorFactoryOverride : factory;
}

AudioExporter &AudioPlatform::exporter()
{
    static GstPassthroughExporter exporter;
    return exporterOverride ? *exporterOverride : exporter;
}

void AudioPlatform::setHardware(AudioHardware *hardware)
{
    hardwareOverride = hardware;
}

void AudioPlatform::setFileRecorderFactory(AudioFileRecorderFactory *factory)
{
    recorderFactoryOverride = factory;
}

void AudioPlatform::setMonitorEngineFactory(AudioMonitorEngineFactory *factory)
{
    monitorFactoryOverride = factory;
}

void AudioPlatform::setExporter(AudioExporter *exporter)
{
    exporterOverride = exporter;
}
