#include "AudioTestSupport.h"
#include "Command.h"
#include "EventLoop.h"
#include "MediaProbe.h"
#include "SignalAnalysis.h"

#include "platform/audio/GstFileRecorder.h"

#include "platform/audio/PulseAudioHardware.h"
#include "platform/events/AbandonableWork.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <span>

using namespace std::chrono_literals;

namespace {

// A sound server of this test's own, so that it can be killed and started again.
class PrivateServer
{
public:
    explicit PrivateServer(const QString &directory)
        : m_directory(directory)
        , m_socket(directory + QStringLiteral("/native"))
    { }
    ~PrivateServer() { stop(); }

    QString log() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    QString address() const { return QStringLiteral("unix:") + m_socket; }

    bool start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH" }) {
            environment.insert(QString::fromLatin1(name), m_directory);
        }
        // Off the session bus: the desktop's own server holds the name a server claims there.
        for (const char *name : { "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "PULSE_SERVER", "PULSE_COOKIE" }) {
            environment.remove(QString::fromLatin1(name));
        }
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral("pulseaudio"),
            { QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                QStringLiteral("--use-pid-file=no"), QStringLiteral("--realtime=no"),
                QStringLiteral("--high-priority=no"), QStringLiteral("--disable-shm=yes"),
                QStringLiteral("-L"),
                QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(m_socket),
                QStringLiteral("-L"), QStringLiteral("module-null-source source_name=first"),
                QStringLiteral("-L"), QStringLiteral("module-null-source source_name=second") });
        return m_process.waitForStarted(5000)
            && TestSupport::processEventsUntil([this] { return pactl({ QStringLiteral("info") }); }, 10s);
    }

    // A server stopped this way keeps its connections but answers nothing.
    void setStuck(bool stuck) { ::kill(pid_t(m_process.processId()), stuck ? SIGSTOP : SIGCONT); }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool pactl(const QStringList &arguments)
    {
        return TestSupport::runCommand(
            QStringLiteral("pactl"), QStringList { "-s", address() } + arguments, 5s)
            .succeeded();
    }

private:
    QString m_directory;
    QString m_socket;
    QProcess m_process;
};

TEST(PulseReconnectTest, ChangeListenerFollowsARestartedServer)
{
    QTemporaryDir dir;
    PrivateServer server(dir.path());
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("first") }));

    PulseAudioHardware hardware({ server.address(), 1000ms });
    int changes = 0;
    ScopedRegistration listening = hardware.listenForDefaultInputChanges([&] { ++changes; });
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("second") }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 1; }));

    server.stop();
    // Known devices are forgotten once the connection is seen to be gone.
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !hardware.devices(); }));
    ASSERT_TRUE(server.start());
    // The new server starts with its own default; the listener is back once that shows up as a
    // change, and later changes follow.
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("first") }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 2; }, 8s));
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("second") }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 3; }));
    EXPECT_TRUE(hardware.devices());
}

// What the server told is answered without asking it again: a stuck server holds up no menu.
TEST(PulseReconnectTest, ReadsOfAStuckServerAnswerAtOnceFromWhatItToldLast)
{
    QTemporaryDir dir;
    PrivateServer server(dir.path());
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("second") }));
    PulseAudioHardware hardware({ server.address(), 1500ms });
    const auto defaultInput = [&]() -> QString {
        const auto id = hardware.defaultInputDeviceId();
        const auto device = id ? hardware.device(id.value()) : AudioResult<HardwareDevice>(id.error());
        return device ? device.value().uid : QString();
    };
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return defaultInput() == QStringLiteral("second"); }));

    server.setStuck(true);
    QElapsedTimer clock;
    clock.start();
    const auto devices = hardware.devices();
    const QString input = defaultInput();
    const auto captures = hardware.captureDevices();
    // A change is asked for at once and done once the server answers.
    std::optional<AudioResult<void>> chosen;
    const auto first = std::find_if(devices.value().begin(), devices.value().end(),
        [](const HardwareDevice &d) { return d.uid == QStringLiteral("first"); });
    ASSERT_NE(first, devices.value().end());
    hardware.setDefaultInputDeviceAsync(first->deviceId, [&](const AudioResult<void> &r) { chosen = r; });
    const auto elapsed = clock.elapsed();
    TestSupport::processEventsFor(100ms);
    EXPECT_FALSE(chosen);
    server.setStuck(false);
    ASSERT_TRUE(devices) << devices.error().message.toStdString();
    EXPECT_EQ(input, QStringLiteral("second"));
    EXPECT_EQ(captures.size(), 2u);
    EXPECT_LT(elapsed, 500);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return chosen.has_value(); }));
    EXPECT_TRUE(*chosen);
    EXPECT_EQ(defaultInput(), QStringLiteral("first"));
}

TEST(PulseReconnectTest, ARecordingWhoseServerIsKilledEndsInAFailureAndWhatWasRecordedPlays)
{
    QTemporaryDir dir;
    PrivateServer server(dir.path());
    const double frequency = 440;
    const auto serveTone = [&] {
        return server.start()
            && server.pactl({ QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                QStringLiteral("sink_name=tone") })
            && server.pactl({ QStringLiteral("load-module"), QStringLiteral("module-sine"),
                QStringLiteral("sink=tone"), QStringLiteral("frequency=%1").arg(frequency) })
            && server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("tone.monitor") });
    };
    GstFileRecorder::Options options;
    options.server = server.address();
    for (const FileRecorderSettings &settings : { FileRecorderSettings {},
             FileRecorderSettings { AudioFormatId::linearPcm, 127, 2, 256000, 48000 } }) {
        ASSERT_TRUE(serveTone()) << server.log().toStdString();
        const QString path = dir.filePath(
            settings.formatId == AudioFormatId::aac ? QStringLiteral("cut.m4a") : QStringLiteral("cut.wav"));
        AudioTest::EndWatcher end;
        auto recorder = AudioTest::startRecording(path, end, 1.0, settings, options);
        ASSERT_TRUE(recorder);

        // All that passed the meter before the kill is in the file, however far the rest lagged.
        const double recorded = recorder->currentTime();
        server.stop();
        ASSERT_TRUE(end.waitForEnd(15s));
        ASSERT_TRUE(end.error) << "the end is not taken for a normal one";
        EXPECT_FALSE(end.error->message.isEmpty());
        const MediaFacts facts = probeMedia(path);
        ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
        const double margin = 0.05;
        ASSERT_GE(facts.seconds, recorded - margin) << path.toStdString();
        const std::vector<float> left = facts.channel(0);
        const auto tail = std::span(left).subspan(
            std::size_t((recorded - margin - 0.1) * facts.sampleRate), std::size_t(facts.sampleRate / 10));
        EXPECT_NEAR(TestSupport::SignalAnalysis::dominantFrequency(tail, facts.sampleRate), frequency, 2)
            << path.toStdString() << ": the end of what was recorded is the tone";
        if (settings.formatId == AudioFormatId::linearPcm) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 40), quint32(bytes.size() - 44))
                << "the header describes the whole file";
        }
    }
}

// A recorder released while its server is stuck, recording or stopped already: the file is still
// finished once the server answers again, and whoever held the recorder is told nothing, as it
// may be gone by then.
TEST(PulseReconnectTest, ARecorderReleasedWhileItsServerIsStuckTellsNobodyWhenTheServerAnswers)
{
    QTemporaryDir dir;
    PrivateServer server(dir.path());
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("first") }));
    GstFileRecorder::Options options;
    options.server = server.address();
    // The end cannot come through a stuck server: it is cut short at once, and the release waits.
    options.finishTimeout = 1ms;
    const auto releases = [] {
        return Events::AbandonableWork::waitForDone(QDeadlineTimer(0)).filter(QStringLiteral("release of"));
    };
    for (const bool stoppedFirst : { false, true }) {
        SCOPED_TRACE(stoppedFirst ? "stopped, then released" : "released while recording");
        const QString path
            = dir.filePath(stoppedFirst ? QStringLiteral("stopped.wav") : QStringLiteral("recording.wav"));
        AudioTest::EndWatcher end;
        auto recorder = AudioTest::startRecording(
            path, end, 0.3, { AudioFormatId::linearPcm, 127, 1, 256000, 48000 }, options);
        ASSERT_TRUE(recorder);
        server.setStuck(true);
        if (stoppedFirst) {
            recorder->stop();
        }
        recorder.reset();
        const bool held = TestSupport::processEventsUntil([&] { return !releases().isEmpty(); }, 15s);
        server.setStuck(false);
        ASSERT_TRUE(held) << "the release never waited on the stuck server";
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return releases().isEmpty(); }, 15s));
        // What the release handed back to the GUI thread.
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(end.calls, 0);
        EXPECT_TRUE(probeMedia(path).decoded) << path.toStdString();
    }
}

// An input gone between the recorder's creation and its start fails the capture while it
// connects, before it has told its format: the end forced through the pipeline then still ends
// the recording in a failure with its reason, and the media framework sees no misuse.
TEST(PulseReconnectTest, ARecordingWhoseInputIsGoneByItsStartFailsWithItsReason)
{
    QTemporaryDir dir;
    PrivateServer server(dir.path());
    GstFileRecorder::Options options;
    options.server = server.address();
    const AudioTest::MediaCriticals criticals;
    for (const FileRecorderSettings &settings : { FileRecorderSettings {},
             FileRecorderSettings { AudioFormatId::linearPcm, 127, 1, 256000, 48000 } }) {
        SCOPED_TRACE(settings.formatId);
        ASSERT_TRUE(server.start()) << server.log().toStdString();
        ASSERT_TRUE(server.pactl({ QStringLiteral("set-default-source"), QStringLiteral("first") }));
        auto recorder = GstFileRecorder::create(dir.filePath(QStringLiteral("unplugged")), settings, options);
        ASSERT_TRUE(recorder);
        ASSERT_TRUE(server.pactl({ QStringLiteral("unload-module"), QStringLiteral("module-null-source") }));
        AudioTest::EndWatcher end;
        end.attach(*recorder.value());
        ASSERT_TRUE(recorder.value()->record());
        ASSERT_TRUE(end.waitForEnd());
        ASSERT_TRUE(end.error) << "the end is not taken for a normal one";
        EXPECT_FALSE(end.error->message.isEmpty());
        server.stop();
    }
    EXPECT_EQ(criticals.count(), 0);
}

} // namespace
