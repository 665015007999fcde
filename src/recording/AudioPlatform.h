#pragma once

class AudioHardware;
class AudioFileRecorderFactory;
class AudioMonitorEngineFactory;
class AudioExporter;

// The audio stand-ins the recording core works through: the sound server and the media
// framework unless a test put doubles in their place. GUI thread only.
class AudioPlatform
{
public:
    static AudioHardware &hardware();
    static AudioFileRecorderFactory &fileRecorderFactory();
    static AudioMonitorEngineFactory &monitorEngineFactory();
    static AudioExporter &exporter();

    // Puts a double in place of the real stand-in; nullptr puts the real one back. The caller
    // keeps the double alive while it is in place.
    static void setHardware(AudioHardware *hardware);
    static void setFileRecorderFactory(AudioFileRecorderFactory *factory);
    static void setMonitorEngineFactory(AudioMonitorEngineFactory *factory);
    static void setExporter(AudioExporter *exporter);
};
