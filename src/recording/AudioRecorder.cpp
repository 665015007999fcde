#include "recording/AudioRecorder.h"

#include "platform/events/MainThread.h"

#include "recording/AudioDevice.h"
#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"
#include "recording/InputAvailability.h"
#include "recording/InputMonitor.h"
#include "recording/PausableRepeatingTimer.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/NSError.h"
#include "platform/audio/AudioFileRecorder.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 appleLosslessFormat = fourCharCode("alac");
// The encoder's highest quality, which lossless formats are always given.
constexpr int maximumQuality = 127;

} // namespace

QString AudioRecorder::rawValue(State state)
{
    switch (state) {
    case State::stopped:
        return QStringLiteral("stopped");
    case State::recording:
        return QStringLiteral("recording");
    case State::paused:
        return QStringLiteral("paused");
    }
    return {};
}

std::optional<AudioRecorder::State> AudioRecorder::stateFromRawValue(const QString &rawValue)
{
    for (const State state : { State::stopped, State::recording, State::paused }) {
        if (rawValue == AudioRecorder::rawValue(state)) {
            return state;
        }
    }
    return std::nullopt;
}

double AudioRecorder::level(double averagePower)
{
    const double amplitude = std::pow(10.0, averagePower / 20.0);
    // A meter that gives no number shows silence rather than full scale.
    if (std::isnan(amplitude) || amplitude <= 0) {
        return 0;
    }
    if (amplitude > 1) {
        return 1;
    }
    return std::min(1.0, 4 * amplitude);
}

AudioRecorder::AudioRecorder(bool shouldPlaySoundEffects)
    : m_shouldPlaySoundEffects(shouldPlaySoundEffects)
    , m_didUpdatePublisher(m_didUpdateSubject.eraseToAnyPublisher())
    , m_didStopPublisher(m_didStopSubject.eraseToAnyPublisher())
    , m_didStateUpdatePublisher(m_didStateUpdateSubject.removeDuplicates())
{
    ASSERT_MAIN_THREAD();
}

AudioRecorder::~AudioRecorder() = default;

AudioRecorder::State AudioRecorder::state() const
{
    if (m_isPaused) {
        return State::paused;
    }
    if (m_recorder && m_recorder->isRecording()) {
        return State::recording;
    }
    return State::stopped;
}

void AudioRecorder::start(const QUrl &url, quint32 formatID, int quality, std::optional<int> numberOfChannels,
    BitRate bitRate, SampleRate sampleRate, bool forceMono, bool monitorInput)
{
    ASSERT_MAIN_THREAD();
    // Everything that can fail comes first: a failed start leaves a paused recording as it was.
    if (const std::optional<InputAvailability::Reason> unavailable = InputAvailability::check()) {
        throw InputAvailability::error(*unavailable);
    }
    const AudioDevice device = AudioDevice::defaultInputDevice();

    int channels = numberOfChannels.value_or(device.inputChannelCount == 1 ? 1 : 2);
    if (forceMono) {
        channels = 1;
    }
    FileRecorderSettings settings;
    settings.formatId = formatID;
    settings.quality
        = formatID == appleLosslessFormat || formatID == AudioFormatId::linearPcm ? maximumQuality : quality;
    settings.channels = channels;
    settings.bitRate = static_cast<int>(bitRate);
    settings.sampleRate = static_cast<int>(sampleRate);

    auto made = AudioPlatform::fileRecorderFactory().makeRecorder(url.toLocalFile(), settings);
    if (!made) {
        throw AudioErrors::mediaError(made.error());
    }
    std::shared_ptr<AudioFileRecorder> recorder = std::move(made).value();
    const quint64 recording = m_recordingNumber + 1;
    const QPointer<AudioRecorder> self(this);
    recorder->setFinishedCallback([self, recording, url](bool successfully) {
        if (self) {
            self->finish(recording, url,
                successfully ? nullptr
                             : std::make_shared<NSError>(
                                 NSError::appError(QStringLiteral("Recording failed for unknown reason."))));
        }
    });
    recorder->setEncodeErrorCallback([self, recording, url](const AudioError &error) {
        if (self) {
            self->finish(recording, url, std::make_shared<NSError>(AudioErrors::mediaError(error)));
        }
    });
    if (!recorder->record()) {
        throw NSError::appError(QStringLiteral("Failed to start recording for unknown reason."));
    }

    // A paused recording is finished, not dropped: its end follows and it is saved like any other.
    if (m_recorder) {
        m_recorder->stop();
    }
    m_recordingNumber = recording;
    m_unfinished.emplace(recording, recorder);
    m_recorder = std::move(recorder);
    m_url = url;
    m_isPaused = false;
    m_shouldMonitorInputWhileRecording = monitorInput;
    if (!monitorInput) {
        m_inputMonitor.reset();
    }
    updateInputMonitor();
    m_timer = std::make_unique<PausableRepeatingTimer>(meteringInterval);
    m_timerCancellable = m_timer->publisher().sink([self, recorder = m_recorder] {
        if (self) {
            self->tick(recorder);
        }
    });
    publishState();
}

void AudioRecorder::tick(const std::shared_ptr<AudioFileRecorder> &recorder)
{
    if (state() == State::stopped) {
        return;
    }
    double level = 0;
    if (recorder->isRecording()) {
        recorder->updateMeters();
        level = AudioRecorder::level(recorder->averagePower(0));
    }
    m_didUpdateSubject.send(level);
}

void AudioRecorder::pause()
{
    ASSERT_MAIN_THREAD();
    if (!m_recorder || !m_recorder->isRecording()) {
        return;
    }
    m_isPaused = true;
    if (m_timer) {
        m_timer->pause();
    }
    m_recorder->pause();
    m_inputMonitor.reset();
    publishState();
}

void AudioRecorder::togglePause()
{
    ASSERT_MAIN_THREAD();
    if (m_isPaused) {
        m_isPaused = false;
        if (m_timer) {
            m_timer->resume();
        }
        if (m_recorder) {
            m_recorder->record();
        }
        updateInputMonitor();
    } else {
        pause();
    }
    publishState();
}

void AudioRecorder::stop()
{
    ASSERT_MAIN_THREAD();
    if (m_recorder) {
        m_recorder->stop();
    }
    m_recorder.reset();
    m_inputMonitor.reset();
    m_isPaused = false;
    if (m_timer) {
        m_timer->resume();
    }
    publishState();
}

void AudioRecorder::updateInputMonitor()
{
    ASSERT_MAIN_THREAD();
    if (state() != State::recording || !m_shouldMonitorInputWhileRecording) {
        return;
    }
    try {
        m_inputMonitor = std::make_unique<InputMonitor>();
    } catch (const Error &error) {
        presentAsModal(*reported(error.clone()));
        return;
    }
    // Monitoring ends for this recording, as when the user ends it; the recording goes on.
    connect(m_inputMonitor.get(), &InputMonitor::inputLost, this, [this] {
        m_shouldMonitorInputWhileRecording = false;
        m_inputMonitor.reset();
    });
}

void AudioRecorder::releaseInputMonitor()
{
    m_inputMonitor.reset();
}

void AudioRecorder::finish(quint64 recording, const QUrl &url, ErrorPtr error)
{
    // An older recording's end is still published, with its own file; only the current
    // recording's end stops the meter.
    if (recording == m_recordingNumber) {
        m_isPaused = false;
        if (m_timer) {
            m_timer->resume();
            m_timer->invalidate();
        }
        m_timer.reset();
        m_timerCancellable.cancel();
    }
    double seconds = 0;
    bool afterStop = false;
    if (const auto found = m_unfinished.find(recording); found != m_unfinished.end()) {
        seconds = found->second->writtenTime();
        // A stop lets go of the current file recorder; one that ends on its own is still held.
        afterStop = found->second != m_recorder;
        m_unfinished.erase(found);
    }
    m_didStopSubject.send(End { url, std::move(error), seconds, afterStop });
    publishState();
}

void AudioRecorder::publishState()
{
    m_didStateUpdateSubject.send(state());
}
