#include "CaughtErrors.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "FakeRecordingSettings.h"
#include "FileContents.h"
#include "MediaProbe.h"
#include "Pactl.h"
#include "PulseModule.h"
#include "TestDesktop.h"
#include "ToneCheck.h"

#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputMonitor.h"

#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/audio/AudioFileRecorder.h"
#include "platform/desktop/StatusBarButton.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace {

using namespace std::chrono_literals;
using State = AudioRecorder::State;
using TestSupport::Pactl::captureStreamsOfThisProcess;

class ControllerOnTheDesktopTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        ASSERT_TRUE(output.isValid());
        FoundationHooks::setAppName(QStringLiteral("Tapewick"));
        settings->outputDirectory = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()));
        settings->showDuration = true;
        controller.setStatusBarButton(&button);
        controller.setRevealer([](const QList<QUrl> &) {});
        controller.setModifierQuery([] { return Qt::NoModifier; });
    }

    void TearDown() override
    {
        TestSupport::Pactl::run({ "set-default-source", TestSupport::TestDesktop::toneSource() });
    }

    // A second input carrying the tone, gone with the test.
    static std::optional<TestSupport::PulseModule> loadOtherSource(const QString &name)
    {
        return TestSupport::PulseModule::load(QStringLiteral("module-remap-source"),
            { "source_name=" + name, "master=" + TestSupport::TestDesktop::toneFeedSink() + ".monitor" });
    }

    void startAndRecordFor(std::chrono::milliseconds length)
    {
        controller.toggleRecording();
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            return controller.recorder().state() == State::recording;
        })) << "the recording did not start after the start sound";
        TestSupport::processEventsFor(length);
    }

    QTemporaryDir output;
    // What the user is shown, instead of a modal dialog.
    CaughtErrors errors;
    std::shared_ptr<FakeRecordingSettings> settings = std::make_shared<FakeRecordingSettings>();
    AudioRecorderController controller { settings };
    StatusBarButton button;
};

TEST_F(ControllerOnTheDesktopTest, TwoSecondsOfTheToneSavedIntoTheDefaultDirectory)
{
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    QSignalSpy exported(&controller, &AudioRecorderController::metadataExportFinished);

    startAndRecordFor(2s);
    EXPECT_TRUE(button.title().startsWith(QStringLiteral("00:0"))) << button.title().toStdString();
    controller.toggleRecording();

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return exported.count() == 1; }, 20s))
        << "the saved recording was not rewritten";
    ASSERT_EQ(saved.count(), 1);
    const QString path = saved.at(0).at(0).toUrl().toLocalFile();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(output.path()).absoluteFilePath());
    EXPECT_EQ(button.title(), QString());

    const QByteArray bytes = TestSupport::readFile(path);
    EXPECT_EQ(bytes.mid(4, 4), "ftyp") << "an MPEG-4 file";
    EXPECT_TRUE(bytes.contains("Tapewick")) << "the software is named in the metadata";
    // Remembered as the file the rewrite left, not the copy it replaced.
    ASSERT_TRUE(settings->previous);
    const std::optional<BookmarkData::Resolution> previous
        = BookmarkData::resolve(settings->previous->bookmarkData());
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->url.toLocalFile(), path);
    EXPECT_FALSE(previous->isStale);

    const MediaFacts media = probeMedia(path);
    ASSERT_TRUE(media.decoded) << media.error.toStdString();
    EXPECT_EQ(media.sampleRate, 48000);
    const double seconds = double(media.channel(0).size()) / media.sampleRate;
    EXPECT_GT(seconds, 1.5);
    EXPECT_LT(seconds, 3.5);
    EXPECT_TRUE(TestSupport::holdsTheTone(media.channel(0), media.sampleRate));
}

// Writes of this process fail past `bytes`, as on a full disk, while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited { bytes, m_previous.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
};

// The sound server moves a capture whose device went away to its fallback input: the recording
// goes on from there, and nothing of it is lost.
TEST_F(ControllerOnTheDesktopTest, AnInputDeviceUnloadedMidRecordingLosesNothingOfTheRecording)
{
    auto device = loadOtherSource(QStringLiteral("tapewick_unplugged"));
    ASSERT_TRUE(device);
    ASSERT_TRUE(TestSupport::Pactl::run({ "set-default-source", "tapewick_unplugged" }).succeeded());
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    startAndRecordFor(1500ms);
    device->unload();
    TestSupport::processEventsFor(1s);
    EXPECT_EQ(controller.recorder().state(), State::recording);
    controller.stopRecording();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved.count() == 1; }, 15s));
    EXPECT_TRUE(errors.presented->empty());
    EXPECT_EQ(button.title(), QString()) << "the tray is back to its resting look";
    const MediaFacts media = probeMedia(saved.at(0).at(0).toUrl().toLocalFile());
    ASSERT_TRUE(media.decoded) << media.error.toStdString();
    EXPECT_GT(double(media.channel(0).size()) / media.sampleRate, 2.2) << "before and after the unplugging";
}

TEST_F(ControllerOnTheDesktopTest, AWriteErrorMidRecordingIsShownAndWhatWasWrittenPlays)
{
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    std::optional<FileSizeLimit> fullDisk;
    startAndRecordFor(0ms);
    const QString temporary = controller.recorder().url()->toLocalFile();
    fullDisk.emplace(QFileInfo(temporary).size() + 48 * 1024);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !errors.presented->empty(); }, 15s))
        << "the failure reaches the user";
    fullDisk.reset();
    EXPECT_EQ(controller.recorder().state(), State::stopped);
    EXPECT_EQ(button.title(), QString());
    EXPECT_EQ(saved.count(), 0);
    const MediaFacts media = probeMedia(temporary);
    ASSERT_TRUE(media.decoded) << media.error.toStdString();
    EXPECT_GT(media.channel(0).size(), 0u);
}

TEST_F(ControllerOnTheDesktopTest, APausedLosslessRecordingHoldsTheToneWithoutThePause)
{
    settings->losslessValue = true;
    AudioRecorder &recorder = controller.recorder();
    std::vector<State> states;
    std::vector<double> levels;
    const Events::AnyCancellable stateSubscription
        = recorder.didStateUpdatePublisher().sink([&](State state) { states.push_back(state); });
    const Events::AnyCancellable levelSubscription
        = recorder.didUpdatePublisher().sink([&](double level) { levels.push_back(level); });
    const auto recordUntil = [&](double seconds) {
        return TestSupport::recordUntil(
            [&] { return recorder.recorder() ? recorder.recorder()->currentTime() : 0.0; }, seconds);
    };
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    QElapsedTimer clock;
    clock.start();
    startAndRecordFor(0ms);
    ASSERT_TRUE(recordUntil(1.0));
    recorder.pause();
    TestSupport::processEventsFor(700ms);
    recorder.togglePause();
    ASSERT_TRUE(recordUntil(2.0));
    controller.stopRecording();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved.count() == 1; }, 15s));
    const double wallSeconds = clock.elapsed() / 1000.0;
    EXPECT_TRUE(errors.presented->empty());

    EXPECT_EQ(states,
        std::vector<State>(
            { State::stopped, State::recording, State::paused, State::recording, State::stopped }));
    ASSERT_FALSE(levels.empty());
    // The tone's power is well above -12 dBFS, which is full scale on the meter.
    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), 0.9);

    const MediaFacts wav = probeMedia(saved.at(0).at(0).toUrl().toLocalFile());
    ASSERT_TRUE(wav.decoded) << wav.error.toStdString();
    EXPECT_EQ(wav.sampleRate, 48000);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.audioCodec, QStringLiteral("Uncompressed 16-bit PCM audio"));
    EXPECT_GE(wav.seconds, 1.95);
    EXPECT_LE(wav.seconds, 2.5);
    EXPECT_LT(wav.seconds, wallSeconds - 0.5) << "the pause is not in the file";
    // The tone's phase jumps where the pause was (a little after 1 s), so each side is measured
    // on its own.
    const std::size_t resumedAt = std::size_t(wav.sampleRate);
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float> samples = wav.channel(channel);
        const std::vector<float> before(samples.begin(), samples.begin() + std::ptrdiff_t(resumedAt - 2000));
        const std::vector<float> after(
            samples.begin() + std::ptrdiff_t(resumedAt + resumedAt / 3), samples.end());
        EXPECT_TRUE(TestSupport::holdsTheTone(before, wav.sampleRate))
            << "channel " << channel << " before the pause";
        EXPECT_TRUE(TestSupport::holdsTheTone(after, wav.sampleRate))
            << "channel " << channel << " after the pause";
    }
}

TEST_F(ControllerOnTheDesktopTest, TheInputMonitorFollowsTheDefaultSource)
{
    const QString other = QStringLiteral("tapewick_recording_other_source");
    auto module = loadOtherSource(other);
    ASSERT_TRUE(module);
    auto monitor = std::make_unique<InputMonitor>();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        const auto streams = captureStreamsOfThisProcess();
        return streams.size() == 1 && streams[0].source == TestSupport::TestDesktop::toneSource();
    }));
    const int firstStream = captureStreamsOfThisProcess().at(0).index;

    ASSERT_TRUE(TestSupport::Pactl::run({ "set-default-source", other }).succeeded());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        const auto streams = captureStreamsOfThisProcess();
        return streams.size() == 1 && streams[0].source == other && streams[0].index != firstStream;
    })) << "a new engine captures from the new default source";

    monitor.reset();
    ASSERT_TRUE(TestSupport::processEventsUntil([] { return captureStreamsOfThisProcess().empty(); }));
    ASSERT_TRUE(TestSupport::Pactl::run({ "set-default-source", TestSupport::TestDesktop::toneSource() })
                    .succeeded());
    TestSupport::processEventsFor(400ms);
    EXPECT_TRUE(captureStreamsOfThisProcess().empty()) << "a released monitor follows no change";
}

} // namespace
