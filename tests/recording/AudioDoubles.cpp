#include "AudioDoubles.h"

#include "recording/AudioPlatform.h"

#include "kit/foundation/FoundationHooks.h"

#include <QFile>

#include <algorithm>

namespace AudioDoubles {

AudioResult<std::vector<HardwareDevice>> FakeHardware::devices()
{
    if (listError) {
        return *listError;
    }
    return deviceList;
}

AudioResult<HardwareDevice> FakeHardware::device(quint32 deviceId)
{
    ++deviceReads;
    if (const auto error = deviceErrors.find(deviceId); error != deviceErrors.end()) {
        return error->second;
    }
    const auto found = std::find_if(deviceList.begin(), deviceList.end(),
        [deviceId](const HardwareDevice &device) { return device.deviceId == deviceId; });
    if (found == deviceList.end()) {
        return AudioError { AudioError::Domain::soundServer, 5, QStringLiteral("No such entity") };
    }
    return *found;
}

AudioResult<quint32> FakeHardware::defaultInputDeviceId()
{
    if (defaultInputError) {
        return *defaultInputError;
    }
    return defaultInput;
}

AudioResult<void> FakeHardware::setDefaultInputDevice(quint32 deviceId)
{
    defaultInput = deviceId;
    notifyDefaultInputChange();
    return {};
}

std::vector<CaptureDevice> FakeHardware::captureDevices()
{
    return captures;
}

ScopedRegistration FakeHardware::listenForDefaultInputChanges(std::function<void()> onChange)
{
    const int key = m_nextListener++;
    m_listeners.emplace(key, std::move(onChange));
    return ScopedRegistration([this, key] { m_listeners.erase(key); });
}

void FakeHardware::notifyDefaultInputChange()
{
    auto listeners = m_listeners;
    for (auto &[key, listener] : listeners) {
        if (m_listeners.contains(key)) {
            listener();
        }
    }
}

HardwareDevice inputDevice(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    return HardwareDevice { id, uid, name, transport, true, false, channels, 0 };
}

HardwareDevice outputDevice(
    quint32 id, const QString &uid, const QString &name, quint32 transport, int channels)
{
    return HardwareDevice { id | HardwareDevice::outputIdFlag, uid, name, transport, false, true, 0,
        channels };
}

bool FakeFileRecorder::record()
{
    ++recordCalls;
    m_recording = answerToRecord;
    return answerToRecord;
}

void FakeFileRecorder::pause()
{
    ++pauseCalls;
    m_recording = false;
}

void FakeFileRecorder::stop()
{
    ++stopCalls;
    m_recording = false;
}

void FakeFileRecorder::reportFinished(bool successfully)
{
    m_recording = false;
    if (m_finished) {
        m_finished(successfully);
    }
}

void FakeFileRecorder::reportEncodeError(const AudioError &error)
{
    m_recording = false;
    if (m_encodeError) {
        m_encodeError(error);
    }
}

AudioResult<std::unique_ptr<AudioFileRecorder>> FakeRecorderFactory::makeRecorder(
    const QString &location, const FileRecorderSettings &settings)
{
    if (failure) {
        return *failure;
    }
    auto recorder = std::make_shared<FakeFileRecorder>(location, settings);
    recorder->answerToRecord = recordersRecord;
    made.push_back(recorder);
    // The core owns its recorder; this one only forwards, so the test can look at it later.
    class Handle final : public AudioFileRecorder
    {
    public:
        explicit Handle(std::shared_ptr<FakeFileRecorder> target)
            : m_target(std::move(target))
        { }
        QString location() const override { return m_target->location(); }
        FileRecorderSettings settings() const override { return m_target->settings(); }
        bool record() override { return m_target->record(); }
        void pause() override { m_target->pause(); }
        void stop() override { m_target->stop(); }
        bool isRecording() const override { return m_target->isRecording(); }
        double currentTime() const override { return m_target->currentTime(); }
        void updateMeters() override { m_target->updateMeters(); }
        double averagePower(int channel) const override { return m_target->averagePower(channel); }
        bool deleteRecording() override { return m_target->deleteRecording(); }
        void setFinishedCallback(FinishedCallback callback) override
        {
            m_target->setFinishedCallback(std::move(callback));
        }
        void setEncodeErrorCallback(EncodeErrorCallback callback) override
        {
            m_target->setEncodeErrorCallback(std::move(callback));
        }

    private:
        std::shared_ptr<FakeFileRecorder> m_target;
    };
    return std::unique_ptr<AudioFileRecorder>(std::make_unique<Handle>(recorder));
}

FakeMonitorEngine::~FakeMonitorEngine()
{
    if (destroyed) {
        *destroyed = true;
    }
}

AudioResult<void> FakeMonitorEngine::start()
{
    if (m_startFailure) {
        return *m_startFailure;
    }
    m_running = true;
    return {};
}

void FakeMonitorEngine::changeConfiguration()
{
    if (m_handler) {
        m_handler();
    }
}

std::unique_ptr<AudioMonitorEngine> FakeEngineFactory::makeEngine()
{
    auto engine = std::make_unique<FakeMonitorEngine>(startFailure);
    destroyed.push_back(false);
    engine->destroyed = &destroyed.back();
    made.push_back(engine.get());
    return engine;
}

int FakeEngineFactory::runningCount() const
{
    int running = 0;
    for (std::size_t index = 0; index < made.size(); ++index) {
        running += !destroyed[index] && made[index]->isRunning();
    }
    return running;
}

void FakeExporter::exportWithSoftware(
    const QString &source, const QString &destination, const QString &software, Completion completion)
{
    ++exports;
    this->source = source;
    this->destination = destination;
    this->software = software;
    if (failure) {
        completion(*failure);
        return;
    }
    // A passthrough copy with the software named at the end, to tell it from the original.
    QFile input(source);
    QFile output(destination);
    if (!input.open(QIODevice::ReadOnly) || !output.open(QIODevice::WriteOnly)) {
        completion(AudioError { AudioError::Domain::media, 6, QStringLiteral("Cannot open the files.") });
        return;
    }
    output.write(input.readAll() + "software=" + software.toUtf8());
    output.close();
    completion({});
}

Installation::Installation()
{
    AudioPlatform::setHardware(&hardware);
    AudioPlatform::setFileRecorderFactory(&recorders);
    AudioPlatform::setMonitorEngineFactory(&engines);
    AudioPlatform::setExporter(&exporter);
    FoundationHooks::setReportError(
        [reports = reports](const Error &error, const QVariantMap &userInfo, const QString &, int) {
            reports->push_back({ error.clone(), userInfo });
        });
    FoundationHooks::setPresentError(
        [presented = presented](const ErrorPtr &error, QWidget *, std::function<void()> dismissed) {
            presented->push_back(error);
            if (dismissed) {
                dismissed();
            }
        });
}

Installation::~Installation()
{
    AudioPlatform::setHardware(nullptr);
    AudioPlatform::setFileRecorderFactory(nullptr);
    AudioPlatform::setMonitorEngineFactory(nullptr);
    AudioPlatform::setExporter(nullptr);
    FoundationHooks::setReportError({});
    FoundationHooks::setPresentError({});
}

} // namespace AudioDoubles
