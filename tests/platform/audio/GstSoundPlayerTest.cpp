#include "DesktopTest.h"
#include "EventLoop.h"

#include "platform/audio/GstSoundPlayer.h"
#include "platform/audio/SoundSynthesis.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cmath>

using namespace std::chrono_literals;

namespace {

class SoundPlayerTest : public TestSupport::DesktopTest
{
};

// Completions counted, with the time the first one took.
struct Completions
{
    int calls = 0;
    qint64 milliseconds = -1;
    QElapsedTimer clock;

    std::function<void()> callback()
    {
        clock.start();
        return [this] {
            if (++calls == 1) {
                milliseconds = clock.elapsed();
            }
        };
    }
};

TEST_F(SoundPlayerTest, OverlappingSoundsEachCompleteOnceWithinTheLimit)
{
    GstSoundPlayer player;
    Completions start;
    Completions end;
    player.play(SystemSoundId::beginRecording, start.callback());
    player.play(SystemSoundId::endRecording, end.callback());
    EXPECT_EQ(start.calls + end.calls, 0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return start.calls > 0 && end.calls > 0; }, 3s));
    TestSupport::processEventsFor(300ms);
    for (const Completions *done : { &start, &end }) {
        // Not before the sound could have played; at the latest at the limit (a null sink
        // drains slowly, so the limit is what ends it there).
        EXPECT_GE(done->milliseconds, 150);
        EXPECT_LT(done->milliseconds, 1500 + 400);
        EXPECT_EQ(done->calls, 1);
    }
}

TEST_F(SoundPlayerTest, WhatCannotBePlayedStillCompletesLaterAndOnce)
{
    const std::pair<QString, quint32> cases[] = {
        { QStringLiteral("unix:/nonexistent/tapewick-test"), SystemSoundId::beginRecording },
        { {}, 4242 }, // no such sound
    };
    for (const auto &[server, sound] : cases) {
        GstSoundPlayer player({ server, 1000ms });
        Completions done;
        player.play(sound, done.callback());
        EXPECT_EQ(done.calls, 0);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return done.calls > 0; }, 3s));
        EXPECT_LT(done.milliseconds, 1400);
        TestSupport::processEventsFor(1200ms);
        EXPECT_EQ(done.calls, 1) << sound;
    }
}

TEST(SoundSynthesisTest, StartRisesAndEndFalls)
{
    // Counted over the first and the last 50 ms: the notes' pitch from their zero crossings.
    auto pitch = [](const std::vector<qint16> &samples, std::size_t from, std::size_t count) {
        int crossings = 0;
        for (std::size_t i = from + 1; i < from + count; ++i) {
            crossings += samples[i - 1] <= 0 && samples[i] > 0;
        }
        return crossings / (double(count) / SoundSynthesis::sampleRate);
    };
    const std::size_t window = SoundSynthesis::sampleRate / 20;
    const auto start = SoundSynthesis::samplesFor(SystemSoundId::beginRecording);
    const auto end = SoundSynthesis::samplesFor(SystemSoundId::endRecording);
    ASSERT_GT(start.size(), 2 * window);
    ASSERT_GT(end.size(), 2 * window);
    EXPECT_LT(pitch(start, 0, window), pitch(start, start.size() - window, window));
    EXPECT_GT(pitch(end, 0, window), pitch(end, end.size() - window, window));
    // Short enough not to delay a recording, with silent edges so nothing clicks.
    EXPECT_LT(start.size(), std::size_t(SoundSynthesis::sampleRate / 4));
    EXPECT_LT(std::abs(start.front()) + std::abs(start.back()), 200);
    EXPECT_TRUE(SoundSynthesis::samplesFor(1).empty());
}

} // namespace
