#include "DesktopTest.h"
#include "EventLoop.h"
#include "TestDesktop.h"
#include "ToneCheck.h"
#include "platform/audio/probe/MediaProbe.h"

#include "recording/AudioRecorder.h"

#include "platform/audio/AudioFileRecorder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;
using State = AudioRecorder::State;

class RecorderOnTheSoundServerTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        ASSERT_TRUE(directory.isValid());
        m_states = recorder.didStateUpdatePublisher().sink([this](State state) { states.push_back(state); });
        m_levels = recorder.didUpdatePublisher().sink([this](double level) { levels.push_back(level); });
    }

    void start(const QString &name, quint32 format, bool forceMono)
    {
        path = directory.filePath(name);
        ended = false;
        failure.reset();
        m_end = recorder.didStopPublisher().sink([this](const AudioRecorder::End &end) {
            failure = end.failure;
            ended = true;
        });
        recorder.start(QUrl::fromLocalFile(path), format, 96, std::nullopt, AudioRecorder::BitRate::bps256000,
            AudioRecorder::SampleRate::hz48000, forceMono, false);
    }

    bool recordUntil(double seconds)
    {
        return TestSupport::recordUntil(
            [&] { return recorder.recorder() ? recorder.recorder()->currentTime() : 0.0; }, seconds);
    }

    void stopAndWaitForTheEnd()
    {
        recorder.stop();
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return ended; }, 15s));
        ASSERT_FALSE(failure) << failure->localizedDescription().toStdString();
    }

    QTemporaryDir directory;
    AudioRecorder recorder { false };
    QString path;
    std::vector<State> states;
    std::vector<double> levels;
    bool ended = false;
    ErrorPtr failure;

private:
    Events::AnyCancellable m_states;
    Events::AnyCancellable m_levels;
    Events::AnyCancellable m_end;
};

TEST_F(RecorderOnTheSoundServerTest, APausedLosslessRecordingHoldsTheToneWithoutThePause)
{
    QElapsedTimer clock;
    clock.start();
    start("Take.wav", AudioFormatId::linearPcm, false);
    ASSERT_TRUE(recordUntil(1.0));
    recorder.pause();
    TestSupport::processEventsFor(700ms);
    recorder.togglePause();
    ASSERT_TRUE(recordUntil(2.0));
    stopAndWaitForTheEnd();
    const double wallSeconds = clock.elapsed() / 1000.0;

    EXPECT_EQ(states,
        std::vector<State>(
            { State::stopped, State::recording, State::paused, State::recording, State::stopped }));
    ASSERT_FALSE(levels.empty());
    // The tone's power is well above -12 dBFS, which is full scale on the meter.
    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), 0.9);

    const MediaFacts wav = probeMedia(path);
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

} // namespace
