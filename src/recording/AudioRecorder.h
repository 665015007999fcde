#pragma once

#include "kit/foundation/errors/Error.h"
#include "platform/events/AnyCancellable.h"
#include "platform/events/AnyPublisher.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"
#include "platform/events/Void.h"

#include <QObject>
#include <QUrl>

#include <map>
#include <memory>
#include <optional>

class AudioFileRecorder;
class InputMonitor;
class PausableRepeatingTimer;

// Records the system's default input device into one file at a time, meters it every 0.1 s and
// publishes its levels, its state and the end of each recording. One instance serves every
// recording of the process. GUI thread only.
class AudioRecorder : public QObject
{
public:
    enum class State { stopped, recording, paused };
    static QString rawValue(State state);
    // Accepts exactly the case names.
    static std::optional<State> stateFromRawValue(const QString &rawValue);

    // Bits per second.
    enum class BitRate : int {
        bps320000 = 320000,
        bps256000 = 256000,
        bps192000 = 192000,
        bps128000 = 128000,
        bps96000 = 96000,
        bps64000 = 64000,
    };
    // Hertz.
    enum class SampleRate : int { hz48000 = 48000, hz96000 = 96000, hz192000 = 192000 };

    static constexpr std::chrono::milliseconds meteringInterval { 100 };

    // The level shown for an input power in dBFS: the amplitude amplified four times, within 0…1.
    static double level(double averagePower);

    explicit AudioRecorder(bool shouldPlaySoundEffects);
    ~AudioRecorder() override;

    // How one recording ended: its own file, the failure when it did not end normally, the
    // seconds of audio the file holds, and whether it had been stopped (or replaced) before.
    struct End
    {
        QUrl url;
        ErrorPtr failure;
        double seconds = 0;
        bool afterStop = false;
    };

    // Begins a new recording into the file at `url`; throws when it cannot, and then nothing
    // changed: a paused recording stays paused. A paused recording that a new one replaces is
    // stopped, and its end is published like any other. `formatID` is AudioFormatId::aac or
    // AudioFormatId::linearPcm; no `numberOfChannels` lets the device decide (one channel for a
    // mono device, two otherwise); `forceMono` records one channel.
    void start(const QUrl &url, quint32 formatID, int quality, std::optional<int> numberOfChannels,
        BitRate bitRate, SampleRate sampleRate, bool forceMono, bool monitorInput);
    void pause();
    // Resumes a paused recording, otherwise pauses.
    void togglePause();
    // Ends the recording; its end is published once the file is complete.
    void stop();
    // Starts monitoring when a recording runs and monitoring is wanted. Once no input is left to
    // monitor, monitoring ends for the recording, which goes on.
    void updateInputMonitor();

    // Derived afresh on every call.
    State state() const;
    // Whether a started recording has not yet published its end: one running, paused, or stopped
    // with its file still being completed.
    bool hasUnfinishedRecordings() const { return !m_unfinished.empty(); }

    // One level in 0…1 per tick.
    Events::AnyPublisher<double> didUpdatePublisher() const { return m_didUpdatePublisher; }
    // The end of every recording the file recorder finished, once its file is complete; also of
    // one that a newer recording has replaced since.
    Events::AnyPublisher<End> didStopPublisher() const { return m_didStopPublisher; }
    // The state after each operation, repeats left out; a new subscriber gets the current state.
    Events::AnyPublisher<State> didStateUpdatePublisher() const { return m_didStateUpdatePublisher; }

    // The file recorder of the current recording; none before the first start and after a stop.
    AudioFileRecorder *recorder() const { return m_recorder.get(); }
    bool isPaused() const { return m_isPaused; }
    // The file of the current or last started recording.
    std::optional<QUrl> url() const { return m_url; }
    bool shouldPlaySoundEffects() const { return m_shouldPlaySoundEffects; }
    InputMonitor *inputMonitor() const { return m_inputMonitor.get(); }
    // Stops monitoring this recording.
    void releaseInputMonitor();
    bool shouldMonitorInputWhileRecording() const { return m_shouldMonitorInputWhileRecording; }
    void setShouldMonitorInputWhileRecording(bool shouldMonitor)
    {
        m_shouldMonitorInputWhileRecording = shouldMonitor;
    }

private:
    void tick(const std::shared_ptr<AudioFileRecorder> &recorder);
    void finish(quint64 recording, const QUrl &url, ErrorPtr error);
    void publishState();

    std::shared_ptr<AudioFileRecorder> m_recorder;
    std::unique_ptr<PausableRepeatingTimer> m_timer;
    Events::AnyCancellable m_timerCancellable;
    bool m_shouldPlaySoundEffects;
    bool m_isPaused = false;
    std::optional<QUrl> m_url;
    Events::PassthroughSubject<double> m_didUpdateSubject;
    Events::AnyPublisher<double> m_didUpdatePublisher;
    Events::PassthroughSubject<End> m_didStopSubject;
    Events::AnyPublisher<End> m_didStopPublisher;
    Events::CurrentValueSubject<State> m_didStateUpdateSubject { State::stopped };
    Events::AnyPublisher<State> m_didStateUpdatePublisher;
    std::unique_ptr<InputMonitor> m_inputMonitor;
    bool m_shouldMonitorInputWhileRecording = false;
    // Counts started recordings, so that the end of an older one does not end the current one.
    quint64 m_recordingNumber = 0;
    // The file recorders of started recordings whose end is still to come, by number; held so
    // that the end can tell how much audio the file holds.
    std::map<quint64, std::shared_ptr<AudioFileRecorder>> m_unfinished;
};
