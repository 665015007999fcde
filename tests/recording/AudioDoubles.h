#pragma once

#include "platform/audio/AudioExporter.h"
#include "platform/audio/AudioFileRecorder.h"
#include "platform/audio/AudioHardware.h"
#include "platform/audio/AudioMonitorEngine.h"

#include "kit/foundation/Error.h"

#include <QString>
#include <QVariantMap>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// Stand-in doubles that the recording core's tests put in place of the sound server and the
// media framework, each scriptable and recording what was asked of it.
namespace AudioDoubles {

class FakeHardware final : public AudioHardware
{
public:
    std::vector<HardwareDevice> deviceList;
    std::optional<AudioError> listError;
    std::map<quint32, AudioError> deviceErrors;
    quint32 defaultInput = 0;
    std::optional<AudioError> defaultInputError;
    std::vector<CaptureDevice> captures;
    int deviceReads = 0;

    AudioResult<std::vector<HardwareDevice>> devices() override;
    AudioResult<HardwareDevice> device(quint32 deviceId) override;
    AudioResult<quint32> defaultInputDeviceId() override;
    AudioResult<void> setDefaultInputDevice(quint32 deviceId) override;
    std::vector<CaptureDevice> captureDevices() override;
    ScopedRegistration listenForDefaultInputChanges(std::function<void()> onChange) override;

    // Calls every listener, as the server does after a change of the default input.
    void notifyDefaultInputChange();
    std::size_t listenerCount() const { return m_listeners.size(); }

private:
    std::map<int, std::function<void()>> m_listeners;
    int m_nextListener = 0;
};

HardwareDevice inputDevice(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);
HardwareDevice outputDevice(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels);

class FakeFileRecorder final : public AudioFileRecorder
{
public:
    FakeFileRecorder(QString location, FileRecorderSettings settings)
        : m_location(std::move(location))
        , m_settings(settings)
    { }

    bool answerToRecord = true;
    double power = -160;
    int recordCalls = 0;
    int pauseCalls = 0;
    int stopCalls = 0;
    int meterUpdates = 0;

    QString location() const override { return m_location; }
    FileRecorderSettings settings() const override { return m_settings; }
    bool record() override;
    void pause() override;
    void stop() override;
    bool isRecording() const override { return m_recording; }
    double currentTime() const override { return 0; }
    void updateMeters() override { ++meterUpdates; }
    double averagePower(int) const override { return power; }
    bool deleteRecording() override { return true; }
    void setFinishedCallback(FinishedCallback callback) override { m_finished = std::move(callback); }
    void setEncodeErrorCallback(EncodeErrorCallback callback) override
    {
        m_encodeError = std::move(callback);
    }

    // What the media framework would report at the end of the file.
    void reportFinished(bool successfully);
    void reportEncodeError(const AudioError &error);

private:
    QString m_location;
    FileRecorderSettings m_settings;
    bool m_recording = false;
    FinishedCallback m_finished;
    EncodeErrorCallback m_encodeError;
};

class FakeRecorderFactory final : public AudioFileRecorderFactory
{
public:
    std::optional<AudioError> failure;
    bool recordersRecord = true;
    // Every recorder made, kept alive here after the recording core let it go.
    std::vector<std::shared_ptr<FakeFileRecorder>> made;

    AudioResult<std::unique_ptr<AudioFileRecorder>> makeRecorder(
        const QString &location, const FileRecorderSettings &settings) override;
    FakeFileRecorder &last() { return *made.back(); }
};

class FakeMonitorEngine final : public AudioMonitorEngine
{
public:
    explicit FakeMonitorEngine(std::optional<AudioError> startFailure)
        : m_startFailure(std::move(startFailure))
    { }
    ~FakeMonitorEngine() override;

    AudioResult<void> start() override;
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }
    void setConfigurationChangeHandler(std::function<void()> handler) override
    {
        m_handler = std::move(handler);
    }

    // What the engine does when its devices change under it.
    void changeConfiguration();
    bool hasHandler() const { return bool(m_handler); }
    bool *destroyed = nullptr;

private:
    std::optional<AudioError> m_startFailure;
    bool m_running = false;
    std::function<void()> m_handler;
};

class FakeEngineFactory final : public AudioMonitorEngineFactory
{
public:
    // The start failure of the next engines made, none for engines that start.
    std::optional<AudioError> startFailure;
    std::vector<FakeMonitorEngine *> made;
    std::deque<bool> destroyed; // per engine made, in order

    std::unique_ptr<AudioMonitorEngine> makeEngine() override;
    int runningCount() const;
};

class FakeExporter final : public AudioExporter
{
public:
    std::optional<AudioError> failure;
    QString software;
    QString source;
    QString destination;
    int exports = 0;

    void exportWithSoftware(const QString &source, const QString &destination, const QString &software,
        Completion completion) override;
};

// One error report as the foundation's report hook received it.
struct Report
{
    ErrorPtr error;
    QVariantMap userInfo;
};

// Puts every double in place and catches reports and presentations; restores all at the end.
class Installation
{
public:
    Installation();
    ~Installation();
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    FakeHardware hardware;
    FakeRecorderFactory recorders;
    FakeEngineFactory engines;
    FakeExporter exporter;
    std::shared_ptr<std::vector<Report>> reports = std::make_shared<std::vector<Report>>();
    std::shared_ptr<std::vector<ErrorPtr>> presented = std::make_shared<std::vector<ErrorPtr>>();
};

} // namespace AudioDoubles
