#pragma once

#include "platform/audio/AudioFileRecorder.h"

#include <memory>
#include <vector>

// What one fake recording went through, kept by the factory after the recorder object is gone,
// so that a test can end a stopped recording the way the real one ends: later, and only while
// its recorder object is held.
struct FakeRecording
{
    QString location;
    FileRecorderSettings settings;
    bool recordResult = true;
    bool recording = false;
    bool stopped = false;
    int pauseCalls = 0;
    int stopCalls = 0;
    double currentTime = 0;
    double writtenTime = 0;
    double power = -160; // what averagePower() answers for every channel
    AudioFileRecorder::FinishedCallback onFinished;
    AudioFileRecorder::EncodeErrorCallback onEncodeError;

    // Deliver the end, as the real recorder does once the file is complete.
    void finish(bool successfully);
    void failWithEncodeError(const AudioError &error);
};

class FakeFileRecorder final : public AudioFileRecorder
{
public:
    explicit FakeFileRecorder(std::shared_ptr<FakeRecording> state);
    // Released, recording or stopped: no end is ever told, as with the real recorder.
    ~FakeFileRecorder() override;

    QString location() const override { return m_state->location; }
    FileRecorderSettings settings() const override { return m_state->settings; }
    bool record() override;
    void pause() override;
    void stop() override;
    bool isRecording() const override { return m_state->recording; }
    double currentTime() const override { return m_state->currentTime; }
    double writtenTime() const override { return m_state->writtenTime; }
    void updateMeters() override { }
    double averagePower(int) const override { return m_state->power; }
    bool deleteRecording() override;
    void setFinishedCallback(FinishedCallback callback) override
    {
        m_state->onFinished = std::move(callback);
    }
    void setEncodeErrorCallback(EncodeErrorCallback callback) override
    {
        m_state->onEncodeError = std::move(callback);
    }

private:
    std::shared_ptr<FakeRecording> m_state;
};

class FakeFileRecorderFactory final : public AudioFileRecorderFactory
{
public:
    // When set, the next makeRecorder() fails with it.
    std::optional<AudioError> nextError;
    // What the next recorders' record() answers.
    bool recordResult = true;
    std::vector<std::shared_ptr<FakeRecording>> recordings;

    AudioResult<std::unique_ptr<AudioFileRecorder>> makeRecorder(
        const QString &location, const FileRecorderSettings &settings) override;
};
