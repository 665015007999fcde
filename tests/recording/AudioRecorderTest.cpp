#include "AudioDoubles.h"
#include "EventLoop.h"

#include "recording/AudioRecorder.h"
#include "recording/InputMonitor.h"

#include "platform/audio/FourCharCode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using namespace std::chrono_literals;
using AudioDoubles::namedInput;
using State = AudioRecorder::State;

// Everything a recorder published, in order.
struct Publications
{
    std::vector<State> states;
    std::vector<double> levels;
    int ends = 0;
    std::vector<ErrorPtr> failures;
    std::vector<QUrl> endedFiles;
    std::vector<double> endedSeconds;
    Events::AnyCancellable stateSubscription;
    Events::AnyCancellable levelSubscription;
    Events::AnyCancellable endSubscription;

    explicit Publications(const AudioRecorder &recorder)
        : stateSubscription(
            recorder.didStateUpdatePublisher().sink([this](State state) { states.push_back(state); }))
        , levelSubscription(
              recorder.didUpdatePublisher().sink([this](double level) { levels.push_back(level); }))
        , endSubscription(recorder.didStopPublisher().sink([this](const AudioRecorder::End &end) {
            endedFiles.push_back(end.url);
            endedSeconds.push_back(end.seconds);
            if (end.failure) {
                failures.push_back(end.failure);
            } else {
                ++ends;
            }
        }))
    { }
};

class AudioRecorderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doubles.hardware.deviceList = { namedInput(1, "mono", "Mono Mic", TransportCode::usb, 1),
            namedInput(2, "stereo", "Stereo Interface", TransportCode::usb, 2),
            namedInput(3, "quad", "Quad Interface", TransportCode::usb, 4) };
        doubles.hardware.defaultInput = 2;
    }

    void start(quint32 format = AudioFormatId::aac, bool forceMono = false, bool monitorInput = false,
        std::optional<int> channels = std::nullopt, const QString &path = "/tmp/take.m4a")
    {
        recorder.start(QUrl::fromLocalFile(path), format, 96, channels, AudioRecorder::BitRate::bps256000,
            AudioRecorder::SampleRate::hz48000, forceMono, monitorInput);
    }

    AudioDoubles::Installation doubles;
    AudioRecorder recorder { false };
};

TEST(AudioRecorderLevelTest, TheLevelIsTheAmplitudeFourTimesWithinZeroAndOne)
{
    EXPECT_DOUBLE_EQ(AudioRecorder::level(0), 1);
    EXPECT_DOUBLE_EQ(AudioRecorder::level(-12), 1);
    EXPECT_NEAR(AudioRecorder::level(-20), 0.4, 1e-12);
    EXPECT_NEAR(AudioRecorder::level(-40), 0.04, 1e-12);
    EXPECT_DOUBLE_EQ(AudioRecorder::level(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_DOUBLE_EQ(AudioRecorder::level(6), 1);
    EXPECT_DOUBLE_EQ(AudioRecorder::level(std::nan("")), 0);
}

TEST_F(AudioRecorderTest, TheDeviceDecidesTheChannelsAndLosslessGetsTheHighestQuality)
{
    const struct
    {
        quint32 device;
        bool forceMono;
        std::optional<int> channels;
        int expected;
    } cases[] = {
        { 1, false, std::nullopt, 1 }, { 2, false, std::nullopt, 2 },
        { 3, false, std::nullopt, 2 }, // four channels
        { 2, true, std::nullopt, 1 }, { 2, false, 1, 1 },
        { 1, true, 2, 1 }, // forced mono wins over a given count
    };
    for (const auto &testCase : cases) {
        doubles.hardware.defaultInput = testCase.device;
        start(AudioFormatId::aac, testCase.forceMono, false, testCase.channels);
        EXPECT_EQ(doubles.recorders.recordings.back()->settings.channels, testCase.expected)
            << testCase.device << ' ' << testCase.forceMono;
    }

    // Lossless recordings get the highest quality and keep the bit rate.
    start(AudioFormatId::linearPcm);
    const FileRecorderSettings lossless = doubles.recorders.recordings.back()->settings;
    EXPECT_EQ(lossless.formatId, AudioFormatId::linearPcm);
    EXPECT_EQ(lossless.quality, 127);
    EXPECT_EQ(lossless.bitRate, 256000);
    EXPECT_EQ(lossless.sampleRate, 48000);

    start(AudioFormatId::aac);
    const FileRecorderSettings aac = doubles.recorders.recordings.back()->settings;
    EXPECT_EQ(aac.quality, 96);
    EXPECT_EQ(aac.bitRate, 256000);
    EXPECT_EQ(doubles.recorders.recordings.back()->location, "/tmp/take.m4a");
}

TEST_F(AudioRecorderTest, ARecordingPublishesItsStatesAndLevelsInOrder)
{
    Publications publications(recorder);
    // Pausing, toggling or stopping a stopped recorder changes nothing.
    recorder.pause();
    recorder.togglePause();
    recorder.stop();
    EXPECT_FALSE(recorder.isPaused());
    EXPECT_EQ(publications.states, std::vector<State>({ State::stopped }));
    EXPECT_TRUE(publications.levels.empty());

    start();
    doubles.recorders.recordings.back()->power = -20;
    EXPECT_EQ(publications.states.back(), State::recording);
    ASSERT_EQ(publications.levels.size(), 1u) << "one level at once";
    EXPECT_DOUBLE_EQ(publications.levels[0], AudioRecorder::level(-160));

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return publications.levels.size() >= 3; }));
    EXPECT_NEAR(publications.levels.back(), 0.4, 1e-9);

    const std::size_t beforePause = publications.levels.size();
    recorder.pause();
    EXPECT_EQ(recorder.state(), State::paused);
    EXPECT_EQ(publications.levels.size(), beforePause + 1) << "one last level";
    EXPECT_EQ(doubles.recorders.recordings.back()->pauseCalls, 1);
    TestSupport::processEventsFor(250ms);
    EXPECT_EQ(publications.levels.size(), beforePause + 1) << "no levels while paused";

    recorder.togglePause();
    EXPECT_EQ(recorder.state(), State::recording);
    ASSERT_TRUE(
        TestSupport::processEventsUntil([&] { return publications.levels.size() >= beforePause + 3; }));

    recorder.stop();
    EXPECT_EQ(recorder.state(), State::stopped);
    EXPECT_EQ(recorder.recorder(), nullptr);
    EXPECT_EQ(doubles.recorders.recordings.back()->stopCalls, 1);
    EXPECT_EQ(publications.ends, 0) << "the end comes when the file is complete";
    const std::size_t atStop = publications.levels.size();
    TestSupport::processEventsFor(250ms);
    EXPECT_EQ(publications.levels.size(), atStop) << "a stopped recorder sends no levels";

    doubles.recorders.recordings.back()->finish(true);
    EXPECT_EQ(publications.ends, 1);
    EXPECT_TRUE(publications.failures.empty());
    EXPECT_EQ(publications.states,
        std::vector<State>(
            { State::stopped, State::recording, State::paused, State::recording, State::stopped }));
}

TEST_F(AudioRecorderTest, AFailedEndIsPublishedAndTheNextNormalEndStillIs)
{
    Publications publications(recorder);
    start();
    recorder.stop();
    doubles.recorders.recordings.back()->finish(false);
    ASSERT_EQ(publications.failures.size(), 1u);
    EXPECT_EQ(publications.failures[0]->localizedDescription(), "Recording failed for unknown reason.");
    EXPECT_EQ(publications.ends, 0);

    start();
    recorder.stop();
    doubles.recorders.recordings.back()->finish(true);
    EXPECT_EQ(publications.ends, 1);
    EXPECT_EQ(publications.failures.size(), 1u);

    start();
    doubles.recorders.recordings.back()->failWithEncodeError(
        AudioError { AudioError::Domain::media, 3, "Encoder stopped." });
    ASSERT_EQ(publications.failures.size(), 2u);
    EXPECT_EQ(publications.failures[1]->localizedDescription(), "Encoder stopped.");
    EXPECT_EQ(recorder.state(), State::stopped) << "an encoding error ends the recording";
}

// The end tells the audio that went into the file, counted as it was written: the elapsed time
// follows the timestamps, which can say nothing of it.
TEST_F(AudioRecorderTest, TheEndTellsTheAudioWrittenWhateverTheElapsedTimeSays)
{
    Publications publications(recorder);
    const struct
    {
        double elapsed;
        double written;
    } cases[] = { { 0, 0.25 }, { 3, 0 }, { 1.5, 1.5 } };
    for (const auto &test : cases) {
        start();
        doubles.recorders.recordings.back()->currentTime = test.elapsed;
        doubles.recorders.recordings.back()->writtenTime = test.written;
        recorder.stop();
        doubles.recorders.recordings.back()->finish(true);
        ASSERT_FALSE(publications.endedSeconds.empty());
        EXPECT_DOUBLE_EQ(publications.endedSeconds.back(), test.written) << test.elapsed;
    }
}

TEST_F(AudioRecorderTest, StartingWhilePausedFinishesThePausedRecordingWithItsOwnFile)
{
    Publications publications(recorder);
    start(AudioFormatId::aac, false, false, std::nullopt, "/tmp/paused.m4a");
    recorder.pause();
    const std::shared_ptr<FakeRecording> paused = doubles.recorders.recordings.back();
    start(AudioFormatId::aac, false, false, std::nullopt, "/tmp/next.m4a");
    EXPECT_EQ(recorder.state(), State::recording);
    EXPECT_EQ(paused->stopCalls, 1);
    paused->finish(true);
    EXPECT_EQ(publications.endedFiles, std::vector<QUrl> { QUrl::fromLocalFile("/tmp/paused.m4a") });
    EXPECT_EQ(recorder.state(), State::recording) << "the older end does not stop the new recording";
    const std::size_t levels = publications.levels.size();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return publications.levels.size() > levels; }))
        << "the current recording keeps its meter";
}

TEST_F(AudioRecorderTest, AFailedStartChangesNothingAndLeavesAPausedRecordingPaused)
{
    const std::pair<std::function<void()>, QString> failures[] = {
        { [&] { doubles.hardware.deviceList = { FakeAudioHardware::output(4, "speakers") }; },
            "Cannot record as there are no input devices." },
        { [&] { doubles.hardware.defaultInput.reset(); }, {} },
        { [&] {
             doubles.recorders.nextError = AudioError { AudioError::Domain::media, 6, "Cannot write." };
         },
            "Cannot write." },
        { [&] { doubles.recorders.recordResult = false; }, "Failed to start recording for unknown reason." },
    };
    for (const auto &[fail, message] : failures) {
        SetUp();
        doubles.recorders.recordResult = true;
        start(AudioFormatId::aac, false, false, std::nullopt, "/tmp/paused.m4a");
        recorder.pause();
        const std::shared_ptr<FakeRecording> paused = doubles.recorders.recordings.back();
        Publications publications(recorder);
        fail();
        try {
            start(AudioFormatId::aac, false, false, std::nullopt, "/tmp/next.m4a");
            ADD_FAILURE() << "the start must fail";
        } catch (const Error &error) {
            EXPECT_TRUE(message.isEmpty() || error.localizedDescription() == message);
        }
        EXPECT_EQ(recorder.state(), State::paused);
        EXPECT_EQ(publications.states, std::vector<State>({ State::paused })) << "nothing is published";
        ASSERT_NE(recorder.recorder(), nullptr);
        EXPECT_EQ(recorder.recorder()->location(), "/tmp/paused.m4a") << "the paused recorder is kept";
        EXPECT_EQ(recorder.url(), QUrl::fromLocalFile("/tmp/paused.m4a"));
        EXPECT_FALSE(paused->recording) << "the paused recording does not capture";
        EXPECT_EQ(paused->stopCalls, 0);
        recorder.stop();
    }
}

TEST_F(AudioRecorderTest, MonitoringRunsOnlyWhileRecordingAndAskedAndItsFailureEndsNoRecording)
{
    recorder.setShouldMonitorInputWhileRecording(true);
    recorder.updateInputMonitor();
    EXPECT_EQ(recorder.inputMonitor(), nullptr) << "nothing is recorded";

    start(AudioFormatId::aac, false, true);
    ASSERT_NE(recorder.inputMonitor(), nullptr);
    InputMonitor *first = recorder.inputMonitor();
    recorder.updateInputMonitor();
    EXPECT_NE(recorder.inputMonitor(), first) << "a new monitor replaces the old";
    EXPECT_EQ(doubles.runningEngines(), 1);

    recorder.pause();
    EXPECT_EQ(recorder.inputMonitor(), nullptr);
    EXPECT_EQ(doubles.runningEngines(), 0);
    recorder.togglePause();
    EXPECT_NE(recorder.inputMonitor(), nullptr);
    recorder.stop();
    EXPECT_EQ(recorder.inputMonitor(), nullptr);
    EXPECT_EQ(doubles.runningEngines(), 0);

    start(AudioFormatId::aac, false, false);
    recorder.updateInputMonitor();
    EXPECT_EQ(recorder.inputMonitor(), nullptr) << "monitoring was not asked for";
    EXPECT_FALSE(recorder.shouldMonitorInputWhileRecording());

    // A monitor that cannot start is reported and shown, and the recording goes on.
    recorder.stop();
    doubles.engines.startError
        = AudioError { AudioError::Domain::media, 12, "The media element is not installed." };
    start(AudioFormatId::aac, false, true);
    EXPECT_EQ(recorder.state(), State::recording);
    EXPECT_EQ(recorder.inputMonitor(), nullptr);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
    ASSERT_EQ(doubles.reports->size(), 1u);
    EXPECT_EQ(doubles.presented->at(0)->localizedDescription(), "The media element is not installed.");
}

} // namespace
