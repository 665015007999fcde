#include "AudioTestSupport.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "MediaProbe.h"
#include "Pactl.h"
#include "SignalAnalysis.h"
#include "SourceRecording.h"
#include "ToneCheck.h"

#include "platform/audio/GstMonitorEngine.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using AudioTest::pactl;

namespace {

class MonitorEngineTest : public TestSupport::DesktopTest
{
};

// This process's capture streams on the server, by index.
QStringList sourceOutputs()
{
    QStringList indexes;
    for (const auto &stream : TestSupport::Pactl::captureStreamsOfThisProcess()) {
        indexes << QString::number(stream.index);
    }
    return indexes;
}

TEST_F(MonitorEngineTest, PlaysTheInputOnTheDefaultOutput)
{
    QTemporaryDir dir;
    const QString heard = dir.filePath(QStringLiteral("heard.wav"));
    const QString monitor = TestSupport::TestDesktop::outputSink() + QStringLiteral(".monitor");
    GstMonitorEngine engine;
    ASSERT_TRUE(engine.start());
    TestSupport::processEventsFor(300ms);
    const auto recorded = TestSupport::recordSourceToWav(heard, 1000ms, monitor);
    ASSERT_TRUE(recorded.succeeded()) << recorded.describe().toStdString();
    const MediaFacts wav = probeMedia(heard);
    ASSERT_TRUE(wav.decoded) << wav.error.toStdString();
    EXPECT_TRUE(TestSupport::holdsTheTone(wav.channel(0), wav.sampleRate));

    engine.stop();
    TestSupport::processEventsFor(300ms);
    const auto silent = TestSupport::recordSourceToWav(heard, 500ms, monitor);
    ASSERT_TRUE(silent.succeeded());
    const MediaFacts after = probeMedia(heard);
    ASSERT_TRUE(after.decoded) << after.error.toStdString();
    EXPECT_LT(TestSupport::SignalAnalysis::peak(after.samples), 0.01);
}

TEST_F(MonitorEngineTest, AnInputMovedOntoTheOutputsMonitorStopsItAndReportsAChange)
{
    if (qEnvironmentVariable("TAPEWICK_TEST_SOUND_SERVER") == u"pipewire") {
        // Over PipeWire's pulse server the capture element misses the move in about one run in
        // five (both moves of a back-and-forth go unreported), so the check cannot hold there.
        GTEST_SKIP() << "the capture element does not always report a moved stream on PipeWire";
    }
    GstMonitorEngine engine;
    int changes = 0;
    engine.setConfigurationChangeHandler([&] { ++changes; });
    const QStringList before = sourceOutputs();
    ASSERT_TRUE(engine.start());
    QStringList now;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        now = sourceOutputs();
        return now.size() == before.size() + 1;
    }));
    TestSupport::processEventsFor(200ms);
    EXPECT_EQ(changes, 0);

    const auto sink = pactl({ QStringLiteral("get-default-sink") });
    ASSERT_TRUE(sink);
    for (const QString &index : now) {
        if (!before.contains(index)) {
            ASSERT_TRUE(
                pactl({ QStringLiteral("move-source-output"), index, *sink + QStringLiteral(".monitor") }));
        }
    }
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 1; }));
    TestSupport::processEventsFor(200ms);
    EXPECT_EQ(changes, 1);
    // What the server gives once no input is left: playing it would feed the output into itself.
    EXPECT_FALSE(engine.isRunning()) << "an output's monitor stops the engine at once";
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return sourceOutputs().size() == before.size(); }));

    // A restart is a new engine in place of the old: its first device is no change.
    ASSERT_TRUE(engine.start());
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sourceOutputs().size(), before.size() + 1);
    engine.stop();
    EXPECT_FALSE(engine.isRunning());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return sourceOutputs().size() == before.size(); }));
}

TEST_F(MonitorEngineTest, AServerThatNeverAnswersHoldsNoStartAndItsLossIsReported)
{
    QTemporaryDir dir;
    auto silent = std::make_unique<QLocalServer>();
    ASSERT_TRUE(silent->listen(dir.filePath(QStringLiteral("silent"))));
    GstMonitorEngine engine(QStringLiteral("unix:") + silent->fullServerName());
    int changes = 0;
    engine.setConfigurationChangeHandler([&] { ++changes; });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(engine.start());
    EXPECT_LT(clock.elapsed(), 500);
    TestSupport::processEventsFor(300ms);
    EXPECT_TRUE(engine.isRunning());
    EXPECT_EQ(changes, 0);

    silent.reset(); // its connections go with it: the devices cannot be brought up
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes == 1; }));
    EXPECT_FALSE(engine.isRunning());
}

} // namespace
