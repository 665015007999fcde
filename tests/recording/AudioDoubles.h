#pragma once

#include "platform/audio/doubles/FakeAudioHardware.h"
#include "platform/audio/doubles/FakeExporter.h"
#include "platform/audio/doubles/FakeFileRecorder.h"
#include "platform/audio/doubles/FakeMonitorEngine.h"

#include "kit/foundation/errors/Error.h"

#include <QString>
#include <QVariantMap>

#include <memory>
#include <vector>

namespace AudioDoubles {

// One error report as the foundation's report hook received it.
struct Report
{
    ErrorPtr error;
    QVariantMap userInfo;
};

// Puts the audio doubles in place of the sound server and the media framework and catches error
// reports and presentations; restores everything at the end.
class Installation
{
public:
    Installation();
    ~Installation();
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    int runningEngines() const;

    FakeAudioHardware hardware;
    FakeFileRecorderFactory recorders;
    FakeMonitorEngineFactory engines;
    FakeExporter exporter;
    std::shared_ptr<std::vector<Report>> reports = std::make_shared<std::vector<Report>>();
    std::shared_ptr<std::vector<ErrorPtr>> presented = std::make_shared<std::vector<ErrorPtr>>();
};

// Devices with a name and a transport of their own.
HardwareDevice namedInput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);
HardwareDevice namedOutput(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);

} // namespace AudioDoubles
