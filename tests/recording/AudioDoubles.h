#pragma once

#include "platform/audio/doubles/FakeAudioHardware.h"
#include "platform/audio/doubles/FakeExporter.h"
#include "platform/audio/doubles/FakeFileRecorder.h"
#include "platform/audio/doubles/FakeMonitorEngine.h"

#include "CaughtErrors.h"

#include <QString>

namespace AudioDoubles {

// Puts the audio doubles in place of the sound server and the media framework and catches error
// reports and presentations; restores everything at the end.
class Installation : public CaughtErrors
{
public:
    Installation();
    ~Installation();

    int runningEngines() const;

    FakeAudioHardware hardware;
    FakeFileRecorderFactory recorders;
    FakeMonitorEngineFactory engines;
    FakeExporter exporter;
};

// Devices with a name and a transport of their own.
HardwareDevice namedInput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);
HardwareDevice namedOutput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);

} // namespace AudioDoubles
