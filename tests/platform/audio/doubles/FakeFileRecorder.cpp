#include "FakeFileRecorder.h"

void FakeRecording::finish(bool successfully)
{
    recording = false;
    // A copy: the owner may release the recorder from inside, which drops the callbacks.
    if (const auto callback = onFinished) {
        callback(successfully);
    }
}

void FakeRecording::failWithEncodeError(const AudioError &error)
{
    recording = false;
    if (const auto callback = onEncodeError) {
        callback(error);
    }
}

FakeFileRecorder::FakeFileRecorder(std::shared_ptr<FakeRecording> state)
    : m_state(std::move(state))
{ }

FakeFileRecorder::~FakeFileRecorder()
{
    m_state->onFinished = nullptr;
    m_state->onEncodeError = nullptr;
}

bool FakeFileRecorder::record()
{
    if (m_state->stopped || !m_state->recordResult) {
        return false;
    }
    m_state->recording = true;
    return true;
}

void FakeFileRecorder::pause()
{
    ++m_state->pauseCalls;
    m_state->recording = false;
}

void FakeFileRecorder::stop()
{
    ++m_state->stopCalls;
    m_state->recording = false;
    m_state->stopped = true;
}

bool FakeFileRecorder::deleteRecording()
{
    m_state->recording = false;
    m_state->onFinished = nullptr;
    m_state->onEncodeError = nullptr;
    return true;
}

AudioResult<std::unique_ptr<AudioFileRecorder>> FakeFileRecorderFactory::makeRecorder(
    const QString &location, const FileRecorderSettings &settings)
{
    if (auto error = std::exchange(nextError, std::nullopt)) {
        return *error;
    }
    auto state = std::make_shared<FakeRecording>();
    state->location = location;
    state->settings = settings;
    state->recordResult = recordResult;
    recordings.push_back(state);
    return std::unique_ptr<AudioFileRecorder>(std::make_unique<FakeFileRecorder>(state));
}
