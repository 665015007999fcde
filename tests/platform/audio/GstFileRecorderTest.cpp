#include "AudioTestSupport.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "MediaProbe.h"
#include "Pactl.h"
#include "PulseModule.h"
#include "SignalAnalysis.h"
#include "ToneCheck.h"

#include "platform/audio/GstFileRecorder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>

#include <glib.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <ostream>
#include <span>
#include <thread>

using namespace std::chrono_literals;
using AudioTest::EndWatcher;
using AudioTest::MediaCriticals;

namespace {

struct Format
{
    quint32 formatId;
    int channels;
    const char *extension;
};

void PrintTo(const Format &format, std::ostream *out)
{
    *out << format.extension << ' ' << format.channels << " ch";
}

std::string formatName(const testing::TestParamInfo<Format> &info)
{
    return std::string(info.param.extension) + (info.param.channels == 1 ? "Mono" : "Stereo");
}

class RecordedFormat : public TestSupport::DesktopTest, public testing::WithParamInterface<Format>
{
protected:
    QTemporaryDir m_dir;
};

TEST_P(RecordedFormat, HoldsTwoSecondsOfTheToneInTheRequestedFormat)
{
    const Format format = GetParam();
    const QString path = m_dir.filePath(QStringLiteral("take.") + QLatin1String(format.extension));
    EndWatcher end;
    FileRecorderSettings settings;
    settings.formatId = format.formatId;
    settings.channels = format.channels;
    auto recorder = AudioTest::startRecording(path, end, 2.0, settings);
    ASSERT_TRUE(recorder);
    EXPECT_TRUE(recorder->isRecording());
    const double atStop = recorder->currentTime();
    // Stopping does not wait for the file to be finished: the end comes later, from the event loop.
    recorder->stop();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(end.calls, 0);
    ASSERT_TRUE(end.waitForEnd());
    recorder.reset();
    ASSERT_EQ(end.finished, std::optional<bool>(true));
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(end.calls, 1);

    const MediaFacts facts = probeMedia(path);
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_EQ(facts.sampleRate, 48000);
    EXPECT_EQ(facts.channels, format.channels);
    EXPECT_TRUE(AudioTest::endsWhereStopped(facts.seconds, atStop));
    for (int channel = 0; channel < facts.channels; ++channel) {
        EXPECT_TRUE(TestSupport::holdsTheTone(facts.channel(channel), facts.sampleRate))
            << "channel " << channel;
    }
    const QByteArray bytes = TestSupport::readFile(path);
    if (format.formatId == AudioFormatId::linearPcm) {
        ASSERT_GE(bytes.size(), 44);
        EXPECT_EQ(bytes.left(4), "RIFF");
        EXPECT_EQ(bytes.mid(8, 4), "WAVE");
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 20), 1); // integer PCM
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 34), 16);
    } else {
        EXPECT_TRUE(facts.audioCodec.contains(QLatin1String("AAC"))) << facts.audioCodec.toStdString();
        // A finished recording is an ordinary, unfragmented file with its index.
        const auto boxes = topLevelBoxes(path);
        EXPECT_NE(std::find(boxes.begin(), boxes.end(), QStringLiteral("moov")), boxes.end());
        EXPECT_EQ(std::find(boxes.begin(), boxes.end(), QStringLiteral("moof")), boxes.end());
        // Mono keeps the requested bit rate rather than falling back to a low one.
        const double kbits = bytes.size() * 8 / facts.seconds / 1000;
        EXPECT_GT(kbits, 150 * format.channels / 2.0) << kbits;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordedFormat,
    testing::Values(Format { AudioFormatId::aac, 2, "m4a" }, Format { AudioFormatId::aac, 1, "m4a" },
        Format { AudioFormatId::linearPcm, 2, "wav" }, Format { AudioFormatId::linearPcm, 1, "wav" }),
    formatName);

// The warnings of the audio layer's log while it exists.
class AudioWarnings
{
public:
    AudioWarnings() { s_previous = qInstallMessageHandler(&collect); }
    ~AudioWarnings()
    {
        qInstallMessageHandler(s_previous);
        QMutexLocker lock(&s_mutex);
        s_messages.clear();
    }
    QStringList messages() const
    {
        QMutexLocker lock(&s_mutex);
        return s_messages;
    }
    // What was said of lost audio; a recording into a pipe also ends by a failure of its own.
    QStringList losses() const { return messages().filter(QRegularExpression(QStringLiteral("^Lost "))); }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && context.category == QLatin1String("tapewick.audio")) {
            QMutexLocker lock(&s_mutex);
            s_messages << message;
        }
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline QMutex s_mutex;
    static inline QStringList s_messages;
};

class FileRecorderTest : public TestSupport::DesktopTest
{
protected:
    std::unique_ptr<GstFileRecorder> make(const QString &name, FileRecorderSettings settings = {})
    {
        auto recorder = GstFileRecorder::create(m_dir.filePath(name), settings);
        EXPECT_TRUE(recorder) << recorder.error().message.toStdString();
        return recorder ? std::move(recorder).value() : nullptr;
    }
    // Recording into the test's folder, watched by m_end.
    std::unique_ptr<GstFileRecorder> recording(const QString &name, double seconds,
        const FileRecorderSettings &settings = {}, const GstFileRecorder::Options &options = {})
    {
        return AudioTest::startRecording(m_dir.filePath(name), m_end, seconds, settings, options);
    }

    QTemporaryDir m_dir;
    EndWatcher m_end;
};

TEST_F(FileRecorderTest, PauseLeavesNoGapInTheFile)
{
    auto recorder = recording(QStringLiteral("paused.m4a"), 2.0);
    ASSERT_TRUE(recorder);

    recorder->pause();
    EXPECT_FALSE(recorder->isRecording());
    const double atPause = recorder->currentTime();
    TestSupport::processEventsFor(1000ms);
    EXPECT_LT(recorder->currentTime() - atPause, 0.05);

    ASSERT_TRUE(recorder->record());
    EXPECT_TRUE(recorder->isRecording());
    QElapsedTimer sinceResuming;
    sinceResuming.start();
    ASSERT_TRUE(AudioTest::recordUntil(*recorder, 4.0));
    // Had the paused second been kept, the file would reach its length that much sooner.
    EXPECT_GT(sinceResuming.elapsed() / 1000.0, 4.0 - atPause - 0.2);
    const double atStop = recorder->currentTime();
    recorder->stop();
    ASSERT_TRUE(m_end.waitForEnd());
    ASSERT_EQ(m_end.finished, std::optional<bool>(true));

    const MediaFacts facts = probeMedia(m_dir.filePath(QStringLiteral("paused.m4a")));
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_TRUE(AudioTest::endsWhereStopped(facts.seconds, atStop));
    // No stretch of the file is silent: the pause left no gap behind.
    const std::vector<float> left = facts.channel(0);
    const std::size_t window = std::size_t(facts.sampleRate / 10);
    double quietest = 1;
    for (std::size_t from = 0; from + window <= left.size(); from += window) {
        quietest
            = std::min(quietest, TestSupport::SignalAnalysis::rms(std::span(left).subspan(from, window)));
    }
    EXPECT_GT(quietest, 0.5 * TestSupport::TestDesktop::toneAmplitude() / std::numbers::sqrt2);
}

TEST_F(FileRecorderTest, MetersFollowTheInputAlsoWhilePaused)
{
    auto recorder = make(QStringLiteral("meters.wav"), { AudioFormatId::linearPcm, 127, 2, 256000, 48000 });
    ASSERT_TRUE(recorder);
    recorder->updateMeters();
    EXPECT_EQ(recorder->averagePower(0), -160.0);
    ASSERT_TRUE(recorder->record());
    ASSERT_TRUE(AudioTest::recordUntil(*recorder, 0.5));
    TestSupport::processEventsFor(200ms);

    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePower(0), AudioTest::toneRmsDb(), 1.5);
    EXPECT_NEAR(recorder->averagePower(1), AudioTest::toneRmsDb(), 1.5);
    EXPECT_EQ(recorder->averagePower(2), -160.0);
    EXPECT_EQ(recorder->averagePower(-1), -160.0);

    recorder->pause();
    TestSupport::processEventsFor(300ms);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePower(0), AudioTest::toneRmsDb(), 1.5);
    recorder->stop();
}

TEST_F(FileRecorderTest, AFinishThatTimesOutKeepsTheFileAndSaysWhy)
{
    GstFileRecorder::Options options;
    options.finishTimeout = 1ms; // far shorter than finishing takes
    auto recorder = recording(QStringLiteral("late.m4a"), 1.0, {}, options);
    ASSERT_TRUE(recorder);
    const QString path = recorder->location();
    const AudioWarnings warnings;
    recorder->stop();
    ASSERT_TRUE(m_end.waitForEnd());
    ASSERT_TRUE(m_end.error.has_value());
    // The reason is for whoever shows it beside the place; the log names both.
    EXPECT_FALSE(m_end.error->message.contains(path)) << m_end.error->message.toStdString();
    const QStringList logged = warnings.messages();
    ASSERT_EQ(logged.size(), 1) << logged.join(u'\n').toStdString();
    EXPECT_TRUE(logged.front().contains(path) && logged.front().contains(m_end.error->message))
        << logged.front().toStdString();
    EXPECT_TRUE(QFile::exists(path)) << "what was recorded is kept";
}

TEST_F(FileRecorderTest, RecorderReleasedWhileRecordingCompletesTheFileSilently)
{
    auto recorder = recording(QStringLiteral("dropped.m4a"), 1.0);
    ASSERT_TRUE(recorder);
    recorder.reset();

    const QString path = m_dir.filePath(QStringLiteral("dropped.m4a"));
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] {
            const auto boxes = topLevelBoxes(path);
            return std::find(boxes.begin(), boxes.end(), QStringLiteral("moof")) == boxes.end();
        },
        5s));
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(m_end.calls, 0);
    EXPECT_TRUE(probeMedia(path).decoded);
}

TEST_F(FileRecorderTest, StopBeforeRecordAndStopTwiceReportNothingMore)
{
    auto never = make(QStringLiteral("never.m4a"));
    ASSERT_TRUE(never);
    EndWatcher neverEnd;
    neverEnd.attach(*never);
    never->stop();
    EXPECT_FALSE(never->record());

    auto twice
        = recording(QStringLiteral("twice.wav"), 0.3, { AudioFormatId::linearPcm, 127, 1, 256000, 48000 });
    ASSERT_TRUE(twice);
    twice->stop();
    twice->stop();
    twice->pause();
    EXPECT_FALSE(twice->record());
    ASSERT_TRUE(m_end.waitForEnd());
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(m_end.calls, 1);
    EXPECT_EQ(neverEnd.calls, 0);
}

// A user's server remembers where a program's stream was last moved; the next recording still
// captures the default input, the one the menu shows checked.
TEST_F(FileRecorderTest, ARecordingCapturesTheDefaultInputWhereverTheServerRemembersTheProgram)
{
    const QByteArray program = qgetenv("TAPEWICK_TEST_REMEMBERED_PROGRAM");
    ASSERT_FALSE(program.isEmpty());
    // The stream carries the program's name as the element reads it when made.
    const QByteArray ownName = g_get_prgname();
    g_set_prgname(program.constData());
    const auto restoreName = qScopeGuard([&] { g_set_prgname(ownName.constData()); });
    // PipeWire's session manager remembers for this name only; PulseAudio needs its module.
    std::optional<TestSupport::PulseModule> memory;
    if (qEnvironmentVariable("TAPEWICK_TEST_SOUND_SERVER") != u"pipewire") {
        memory = TestSupport::PulseModule::load(QStringLiteral("module-stream-restore"),
            { QStringLiteral("restore_device=true"), QStringLiteral("restore_volume=false"),
                QStringLiteral("restore_muted=false") });
        ASSERT_TRUE(memory);
    }
    const auto sink = AudioTest::pactl({ QStringLiteral("get-default-sink") });
    ASSERT_TRUE(sink);
    const FileRecorderSettings mono { AudioFormatId::linearPcm, 127, 1, 256000, 48000 };

    std::unique_ptr<GstFileRecorder> moved = recording(QStringLiteral("moved.wav"), 0.3, mono);
    ASSERT_TRUE(moved);
    const auto streams = TestSupport::Pactl::captureStreamsOfThisProcess();
    ASSERT_EQ(streams.size(), 1u);
    const QString index = QString::number(streams.front().index);
    ASSERT_TRUE(AudioTest::pactl(
        { QStringLiteral("move-source-output"), index, *sink + QStringLiteral(".monitor") }));
    TestSupport::processEventsFor(300ms);
    moved->stop();
    ASSERT_TRUE(m_end.waitForEnd());

    EndWatcher nextEnd;
    auto next = AudioTest::startRecording(m_dir.filePath(QStringLiteral("next.wav")), nextEnd, 1.5, mono);
    ASSERT_TRUE(next);
    next->stop();
    ASSERT_TRUE(nextEnd.waitForEnd());
    const MediaFacts facts = probeMedia(next->location());
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_TRUE(TestSupport::holdsTheTone(facts.channel(0), facts.sampleRate));
}

// Takes what a recorder writes into a named pipe, but once the first half second has come stops
// taking it for a while, as a slow disk would: the recorder's writing thread then stands still.
class SlowReader
{
public:
    SlowReader(const QString &path, std::chrono::milliseconds stall)
        : m_stall(stall)
    {
        if (mkfifo(QFile::encodeName(path).constData(), 0600) != 0) {
            return;
        }
        // Without a writer yet, opening to read waits for nothing; the writer's open then does not wait.
        m_fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        // The smallest pipe, so that the writer stands still as soon as the reading stops.
        fcntl(m_fd, F_SETPIPE_SZ, 4096);
        m_thread = std::thread([this] { run(); });
    }
    ~SlowReader()
    {
        m_done = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    bool isOpen() const { return m_fd >= 0; }
    bool hasStalled() const { return m_stalled; }
    // Once the writer has closed the pipe: the seconds of 16-bit stereo audio at 48 kHz that came
    // after the WAV header.
    std::optional<double> audioSeconds()
    {
        if (!m_closed) {
            return std::nullopt;
        }
        const qsizetype data = m_start.indexOf("data");
        return data < 0 ? 0.0 : double(m_bytes - data - 8) / (48000 * 2 * 2);
    }

private:
    void run()
    {
        std::optional<std::chrono::steady_clock::time_point> first;
        char chunk[4096];
        while (!m_done) {
            pollfd ready { m_fd, POLLIN, 0 };
            if (poll(&ready, 1, 50) <= 0) {
                continue;
            }
            const ssize_t got = read(m_fd, chunk, sizeof chunk);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                m_closed = true;
                return;
            }
            if (got < 0) {
                continue;
            }
            if (m_start.size() < 256) {
                m_start.append(chunk, std::min<qsizetype>(got, 256 - m_start.size()));
            }
            m_bytes += got;
            const auto now = std::chrono::steady_clock::now();
            first = first.value_or(now);
            if (!m_stalled && now - *first > std::chrono::milliseconds(500)) {
                std::this_thread::sleep_for(m_stall);
                m_stalled = true;
            }
        }
    }

    std::chrono::milliseconds m_stall;
    int m_fd = -1;
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_stalled { false };
    std::atomic<bool> m_closed { false };
    // Written by the reading thread until it sets m_closed.
    QByteArray m_start;
    qint64 m_bytes = 0;
    std::thread m_thread;
};

TEST_F(FileRecorderTest, AWriterHeldUpForLessThanTheCaptureHoldsLosesNoAudio)
{
    const AudioWarnings warnings;
    SlowReader reader(m_dir.filePath(QStringLiteral("slow.wav")), 1500ms);
    ASSERT_TRUE(reader.isOpen());
    auto recorder
        = recording(QStringLiteral("slow.wav"), 3.0, { AudioFormatId::linearPcm, 127, 2, 256000, 48000 });
    ASSERT_TRUE(recorder);
    EXPECT_TRUE(reader.hasStalled());
    const double atStop = recorder->currentTime();
    recorder->stop();
    // A pipe cannot take the finished header: only the audio before it counts.
    ASSERT_TRUE(m_end.waitForEnd());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return reader.audioSeconds().has_value(); }, 5s));
    EXPECT_TRUE(AudioTest::endsWhereStopped(*reader.audioSeconds(), atStop));
    EXPECT_EQ(warnings.losses(), QStringList());
}

TEST_F(FileRecorderTest, AudioLostWhileTheWriterIsHeldUpTooLongIsLoggedOnceWithItsLength)
{
    const AudioWarnings warnings;
    const QString path = m_dir.filePath(QStringLiteral("stuck.wav"));
    SlowReader reader(path, 3500ms);
    ASSERT_TRUE(reader.isOpen());
    auto recorder
        = recording(QStringLiteral("stuck.wav"), 2.0, { AudioFormatId::linearPcm, 127, 2, 256000, 48000 });
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(AudioTest::recordUntil(*recorder, recorder->currentTime() + 1.0));
    recorder->stop();
    ASSERT_TRUE(m_end.waitForEnd());
    const QStringList messages = warnings.losses();
    ASSERT_EQ(messages.size(), 1) << warnings.messages().join(u'\n').toStdString();
    // The capture skips past all it held: what stood still is lost, not only what overflowed.
    static const QRegularExpression told(
        QStringLiteral("^Lost (\\d+) ms of audio (\\d+\\.\\d) s into the recording “(.*)”"));
    const QRegularExpressionMatch match = told.match(messages.front());
    ASSERT_TRUE(match.hasMatch()) << messages.front().toStdString();
    EXPECT_GE(match.captured(1).toInt(), 2000);
    EXPECT_LE(match.captured(1).toInt(), 3600);
    EXPECT_LT(match.captured(2).toDouble(), 1.5);
    EXPECT_EQ(match.captured(3), path);
}

// What a recorder in another process made of standing still as a whole (stopped by a signal, as a
// program swapped out or held by a debugger is) while the sound server went on.
struct Standstill
{
    // The wall-clock time the recording took beyond the audio it gained meanwhile; none when it
    // did not get that far.
    std::optional<double> missingSeconds;
    QString log;
};

// Lets the child recorder hold half a second, stops it for `length`, and lets it record until it
// has gained four seconds more.
Standstill recordThroughAStandstill(const QString &path, std::chrono::milliseconds length)
{
    AudioTest::RecordingChild child(path);
    Standstill result;
    if (child.reaches(0.5)) {
        const double from = child.reported();
        QElapsedTimer clock;
        clock.start();
        kill(pid_t(child.processId()), SIGSTOP);
        TestSupport::processEventsFor(length);
        kill(pid_t(child.processId()), SIGCONT);
        if (child.reaches(from + 4.0)) {
            result.missingSeconds = clock.elapsed() / 1000.0 - (child.reported() - from);
        }
    }
    result.log = child.kill();
    return result;
}

TEST_F(FileRecorderTest, AProgramThatStandsStillLosesOnlyWhatTheCaptureCannotHoldAndSaysHowMuchAtMost)
{
    const Standstill brief = recordThroughAStandstill(m_dir.filePath(QStringLiteral("brief.wav")), 1200ms);
    ASSERT_TRUE(brief.missingSeconds) << brief.log.toStdString();
    EXPECT_LT(*brief.missingSeconds, 0.4);
    EXPECT_FALSE(brief.log.contains(QLatin1String("Lost"))) << brief.log.toStdString();

    // The server drops what the capture cannot hold, or more: PipeWire keeps only its latest block.
    // PulseAudio's own buffer can carry a little past the capture's 2 s, and a slow child reports
    // late, so the loss seen is only known to be well beyond what the brief standstill cost.
    const Standstill longer = recordThroughAStandstill(m_dir.filePath(QStringLiteral("long.wav")), 3500ms);
    ASSERT_TRUE(longer.missingSeconds) << longer.log.toStdString();
    EXPECT_GT(*longer.missingSeconds, 0.6);
    static const QRegularExpression told(QStringLiteral("Lost up to (\\d+) ms of audio"));
    const QStringList lines = longer.log.split(u'\n').filter(told);
    ASSERT_EQ(lines.size(), 1) << longer.log.toStdString();
    const double toldSeconds = told.match(lines.front()).captured(1).toInt() / 1000.0;
    EXPECT_NEAR(toldSeconds, 3.5, 0.4) << lines.front().toStdString();
    EXPECT_LE(*longer.missingSeconds, toldSeconds + 0.2);
}

// Known as a full disk by the framework's error domain and code, told in the system's plain words
// rather than the framework's, and logged with the file's place and no error number: whoever is
// told may only show it.
TEST_F(FileRecorderTest, FullDiskEndsTheRecordingThroughTheEncodeErrorAndTheLog)
{
    const FileRecorderSettings formats[] = { { AudioFormatId::linearPcm, 127, 2, 256000, 48000 },
        { AudioFormatId::aac, 127, 2, 128000, 48000 } };
    for (const FileRecorderSettings &settings : formats) {
        SCOPED_TRACE(settings.formatId);
        const AudioWarnings warnings;
        const QString full = QStringLiteral("/dev/full");
        auto recorder = GstFileRecorder::create(full, settings);
        ASSERT_TRUE(recorder);
        EndWatcher end;
        end.attach(*recorder.value());
        ASSERT_TRUE(recorder.value()->record());
        ASSERT_TRUE(end.waitForEnd());
        ASSERT_TRUE(end.error.has_value());
        EXPECT_TRUE(end.error->diskFull) << end.error->message.toStdString();
        EXPECT_EQ(end.error->message.toStdString(), std::string(std::strerror(ENOSPC)));
        EXPECT_FALSE(end.finished.has_value());
        EXPECT_FALSE(recorder.value()->isRecording());
        const QStringList logged = warnings.messages();
        ASSERT_EQ(logged.size(), 1) << logged.join(u'\n').toStdString();
        EXPECT_TRUE(logged.front().contains(full)) << logged.front().toStdString();
        EXPECT_EQ(logged.front().toStdString(),
            QStringLiteral("The recording \u201c%1\u201d ended by a failure: %2")
                .arg(full, end.error->message)
                .toStdString());
    }
}

TEST_F(FileRecorderTest, AWavRecordingAtItsSizeLimitEndsByItselfAsAReadableFile)
{
    GstFileRecorder::Options options;
    options.wavDataLimit = 48000 * 2 * 2; // one second, standing in for the 4 GiB of a real file
    const QString path = m_dir.filePath(QStringLiteral("long.wav"));
    auto recorder
        = GstFileRecorder::create(path, { AudioFormatId::linearPcm, 127, 2, 256000, 48000 }, options);
    ASSERT_TRUE(recorder);
    EndWatcher end;
    end.attach(*recorder.value());
    ASSERT_TRUE(recorder.value()->record());
    ASSERT_TRUE(end.waitForEnd());
    EXPECT_EQ(end.finished, std::optional<bool>(true)) << "an ordinary end: the recording is saved";

    const QByteArray bytes = TestSupport::readFile(path);
    ASSERT_GE(bytes.size(), 44);
    const quint32 dataSize = qFromLittleEndian<quint32>(bytes.constData() + 40);
    EXPECT_LE(dataSize, options.wavDataLimit);
    EXPECT_EQ(qsizetype(dataSize), bytes.size() - 44) << "the header describes the whole file";
    EXPECT_EQ(qsizetype(qFromLittleEndian<quint32>(bytes.constData() + 4)), bytes.size() - 8);
    const MediaFacts facts = probeMedia(path);
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_NEAR(facts.seconds, 1.0, 0.1);
}

TEST_F(FileRecorderTest, AStartThatFailsEndsInAFailureWithItsReasonWithoutHoldingTheGuiThread)
{
    GstFileRecorder::Options noServer;
    noServer.server = QStringLiteral("unix:/nonexistent/tapewick-test");
    const std::pair<QString, GstFileRecorder::Options> cases[] = {
        { m_dir.filePath(QStringLiteral("missing-folder/take.m4a")), {} },
        { m_dir.filePath(QStringLiteral("nowhere.m4a")), noServer },
    };
    for (const auto &[path, options] : cases) {
        SCOPED_TRACE(path.toStdString());
        auto recorder = GstFileRecorder::create(path, {}, options);
        ASSERT_TRUE(recorder);
        EndWatcher end;
        end.attach(*recorder.value());
        QElapsedTimer clock;
        clock.start();
        recorder.value()->record();
        EXPECT_LT(clock.elapsed(), 100);
        ASSERT_TRUE(end.waitForEnd());
        ASSERT_TRUE(end.error.has_value());
        EXPECT_FALSE(end.error->message.isEmpty());
        EXPECT_FALSE(recorder.value()->isRecording());
    }
}

// The frames of audio a 16-bit mono WAV file holds after its header.
qint64 wavMonoFrames(const QString &path)
{
    const QByteArray bytes = TestSupport::readFile(path);
    const qsizetype data = bytes.indexOf("data");
    return data < 0 ? 0 : std::max<qint64>(0, bytes.size() - (data + 8)) / 2;
}

const FileRecorderSettings monoWav { AudioFormatId::linearPcm, 127, 1, 256000, 48000 };

// The capture hands its audio over a block at a time. A stop in the middle of one still records
// the audio up to the stop, rather than ending with what was handed over, and that is what the
// recorder then says the file holds.
TEST_F(FileRecorderTest, AStopKeepsWhatTheCaptureStillHeldUpToTheStop)
{
    // A round in which the next block came before the stop tells nothing: it is tried again.
    bool stoppedWithinABlock = false;
    for (int round = 0; round < 5 && !stoppedWithinABlock; ++round) {
        EndWatcher end;
        auto recorder = AudioTest::startRecording(
            m_dir.filePath(QStringLiteral("held-%1.wav").arg(round)), end, 0.3, monoWav);
        ASSERT_TRUE(recorder);
        const double handedOver = recorder->currentTime();
        TestSupport::processEventsFor(60ms);
        stoppedWithinABlock = recorder->currentTime() == handedOver;
        recorder->stop();
        ASSERT_TRUE(end.waitForEnd());
        ASSERT_EQ(end.finished, std::optional<bool>(true));
        const qint64 frames = wavMonoFrames(recorder->location());
        EXPECT_EQ(qRound64(recorder->writtenTime() * 48000), frames);
        if (stoppedWithinABlock) {
            EXPECT_GT(frames / 48000.0, handedOver + 0.01)
                << "the stop came 60 ms after " << handedOver << " s";
        }
    }
    EXPECT_TRUE(stoppedWithinABlock) << "no stop fell within a block";
}

// Stopped before or after the capture's first block, a recording ends, tells exactly what its
// file holds, and the media framework sees nothing it takes for a misuse (an end of the stream
// without a segment before it), also when the finish takes too long and the end is forced.
TEST_F(FileRecorderTest, AStopAtAnyMomentEndsCleanlyAndTellsWhatTheFileHolds)
{
    const MediaCriticals criticals;
    const struct
    {
        std::chrono::milliseconds after;
        std::chrono::milliseconds finishTimeout;
    } cases[] = { { 0ms, 10s }, { 20ms, 10s }, { 60ms, 10s }, { 250ms, 10s }, { 20ms, 1ms }, { 250ms, 1ms } };
    for (const auto &test : cases) {
        const QString name
            = QStringLiteral("after-%1-%2.wav").arg(test.after.count()).arg(test.finishTimeout.count());
        SCOPED_TRACE(name.toStdString());
        GstFileRecorder::Options options;
        options.finishTimeout = test.finishTimeout;
        auto made = GstFileRecorder::create(m_dir.filePath(name), monoWav, options);
        ASSERT_TRUE(made);
        GstFileRecorder &recorder = *made.value();
        EndWatcher end;
        end.attach(recorder);
        ASSERT_TRUE(recorder.record());
        TestSupport::processEventsFor(test.after);
        recorder.stop();
        ASSERT_TRUE(end.waitForEnd());
        if (test.finishTimeout > 1s) {
            EXPECT_EQ(end.finished, std::optional<bool>(true));
        }
        EXPECT_EQ(qRound64(recorder.writtenTime() * 48000), wavMonoFrames(recorder.location()));
    }
    EXPECT_EQ(criticals.count(), 0);
}

TEST_F(FileRecorderTest, DeleteRecordingRemovesTheFileWithoutReporting)
{
    auto recorder = recording(QStringLiteral("deleted.m4a"), 0.3);
    ASSERT_TRUE(recorder);
    EXPECT_TRUE(recorder->deleteRecording());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("deleted.m4a"))));
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(m_end.calls, 0);
}

TEST(FileRecorderSettingsTest, UnsupportedSettingsFailAtCreation)
{
    const QString path = QStringLiteral("/tmp/never-written.m4a");
    EXPECT_FALSE(GstFileRecorder::create(path, { AudioFormatId::aac, 96, 3, 256000, 48000 }));
    EXPECT_FALSE(GstFileRecorder::create(path, { AudioFormatId::aac, 96, 0, 256000, 48000 }));
    EXPECT_FALSE(GstFileRecorder::create(path, { fourCharCode("alac"), 96, 2, 256000, 48000 }));
    EXPECT_FALSE(GstFileRecorder::create(path, { AudioFormatId::aac, 96, 2, 0, 48000 }));
    EXPECT_FALSE(GstFileRecorder::create(path, { AudioFormatId::aac, 96, 2, 256000, 192000 }));
    EXPECT_TRUE(GstFileRecorder::create(path, { AudioFormatId::aac, 96, 2, 256000, 96000 }));
    const auto accepted = GstFileRecorder::create(path, { AudioFormatId::linearPcm, 127, 2, 256000, 192000 });
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted.value()->settings().sampleRate, 192000);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
