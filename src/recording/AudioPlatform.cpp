#include "recording/AudioPlatform.h"

#include "platform/events/MainThread.h"

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
    ASSERT_MAIN_THREAD();
    return hardwareOverride ? *hardwareOverride : PulseAudioHardware::shared();
}

AudioFileRecorderFactory &AudioPlatform::fileRecorderFactory()
{
    ASSERT_MAIN_THREAD();
    static GstFileRecorderFactory factory;
    return recorderFactoryOverride ? *recorderFactoryOverride : factory;
}

AudioMonitorEngineFactory &AudioPlatform::monitorEngineFactory()
{
    ASSERT_MAIN_THREAD();
    static GstMonitorEngineFactory factory;
    return monitorFactoryOverride ? *monitorFactoryOverride : factory;
}

AudioExporter &AudioPlatform::exporter()
{
    ASSERT_MAIN_THREAD();
    static GstPassthroughExporter exporter;
    return exporterOverride ? *exporterOverride : exporter;
}

void AudioPlatform::setHardware(AudioHardware *hardware)
{
    ASSERT_MAIN_THREAD();
    hardwareOverride = hardware;
}

void AudioPlatform::setFileRecorderFactory(AudioFileRecorderFactory *factory)
{
    ASSERT_MAIN_THREAD();
    recorderFactoryOverride = factory;
}

void AudioPlatform::setMonitorEngineFactory(AudioMonitorEngineFactory *factory)
{
    ASSERT_MAIN_THREAD();
    monitorFactoryOverride = factory;
}

void AudioPlatform::setExporter(AudioExporter *exporter)
{
    ASSERT_MAIN_THREAD();
    exporterOverride = exporter;
}
