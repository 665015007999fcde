#include "AudioDoubles.h"
#include "EventLoop.h"

#include "recording/AudioErrors.h"
#include "recording/InputMonitor.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// The media framework's generic resource failure, as posted when a stream cannot be opened.
const AudioError couldNotOpen { AudioError::Domain::media, 1, "Failed to connect stream" };
const AudioError missingElement { AudioError::Domain::media, 12, "The media element is not installed." };

class InputMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        doubles.hardware.deviceList = { FakeAudioHardware::input(1, QStringLiteral("mic")),
            FakeAudioHardware::output(2, QStringLiteral("speaker")) };
        doubles.hardware.defaultInput = 1;
    }

    AudioDoubles::Installation doubles;
};

TEST_F(InputMonitorTest, CreatingStartsOneEngineAndReleasingStopsItAndTheListener)
{
    auto monitor = std::make_unique<InputMonitor>();
    ASSERT_EQ(doubles.engines.engines.size(), 1u);
    EXPECT_EQ(doubles.runningEngines(), 1);
    EXPECT_EQ(doubles.hardware.listenerCount(), 1);

    // Changes still pending when it goes are followed no more.
    doubles.engines.engines[0]->emitConfigurationChange();
    doubles.hardware.emitDefaultInputChange();
    monitor.reset();
    EXPECT_TRUE(doubles.engines.engines[0]->destroyed);
    EXPECT_EQ(doubles.hardware.listenerCount(), 0);
    TestSupport::processEventsFor(250ms);
    EXPECT_EQ(doubles.engines.engines.size(), 1u);
    EXPECT_EQ(doubles.runningEngines(), 0);
}

TEST_F(InputMonitorTest, EachDefaultInputOrConfigurationChangeRestartsWithADelayOfItsOwn)
{
    InputMonitor monitor;
    QElapsedTimer clock;
    clock.start();
    doubles.hardware.emitDefaultInputChange();
    doubles.hardware.emitDefaultInputChange();
    EXPECT_EQ(doubles.engines.engines.size(), 1u) << "no restart before the delay";

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.engines.engines.size() == 2; }));
    const qint64 first = clock.elapsed();
    EXPECT_GE(first, 95);
    EXPECT_TRUE(doubles.engines.engines[0]->destroyed) << "the old engine is torn down";
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.engines.engines.size() == 3; }));
    EXPECT_GE(clock.elapsed() - first, 95);
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(doubles.engines.engines.size(), 3u);
    EXPECT_EQ(doubles.runningEngines(), 1);

    // So does a configuration change of the engine that replaced the first.
    doubles.engines.engines[2]->emitConfigurationChange();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.engines.engines.size() == 4; }));
    EXPECT_EQ(doubles.runningEngines(), 1);
}

TEST_F(InputMonitorTest, AnEngineThatKeepsLosingItsDevicesIsRebuiltAfterGrowingWaits)
{
    InputMonitor monitor;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> rebuiltAt;
    // Every engine is lost as soon as it runs, like a source that refuses every stream.
    while (clock.elapsed() < 1000) {
        const std::shared_ptr<FakeEngineState> newest = doubles.engines.engines.back();
        if (newest->running) {
            if (doubles.engines.engines.size() > 1) {
                rebuiltAt.push_back(clock.elapsed());
            }
            newest->running = false;
            newest->emitConfigurationChange();
        }
        TestSupport::processEventsFor(1ms);
    }
    ASSERT_GE(rebuiltAt.size(), 2u) << "a lost engine is rebuilt";
    EXPECT_LE(rebuiltAt.size(), 3u) << "no tight loop";
    EXPECT_GE(rebuiltAt[1] - rebuiltAt[0], 3 * InputMonitor::firstRecoveryDelay.count() / 2)
        << "the second wait is longer than the first";

    // A change of the default input is a new situation: the next loss waits the first delay.
    doubles.hardware.emitDefaultInputChange();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.engines.engines.back()->running; }));
    const std::size_t engines = doubles.engines.engines.size();
    doubles.engines.engines.back()->running = false;
    doubles.engines.engines.back()->emitConfigurationChange();
    TestSupport::processEventsFor(InputMonitor::firstRecoveryDelay + 100ms);
    EXPECT_EQ(doubles.engines.engines.size(), engines + 1);
}

TEST_F(InputMonitorTest, AStartFailureAtCreationIsThrownUnlessTheDevicesCannotBeOpened)
{
    doubles.engines.startError = missingElement;
    try {
        InputMonitor monitor;
        FAIL() << "creating must fail";
    } catch (const Error &error) {
        EXPECT_EQ(error.code(), 12);
        EXPECT_EQ(error.localizedDescription(), "The media element is not installed.");
    }
    EXPECT_TRUE(doubles.reports->empty());
    EXPECT_EQ(doubles.hardware.listenerCount(), 0);
    EXPECT_TRUE(doubles.engines.engines[0]->destroyed);

    // A start that cannot open the devices is reported as ignored and not shown.
    doubles.engines.startError = couldNotOpen;
    auto monitor = std::make_unique<InputMonitor>();
    ASSERT_EQ(doubles.reports->size(), 1u);
    EXPECT_EQ(doubles.reports->at(0).error->code(), AudioErrors::failedInitialization);
    EXPECT_EQ(doubles.reports->at(0).userInfo.value("wasIgnored"), QVariant(true));
    EXPECT_FALSE(monitor->engine()->isRunning());
    TestSupport::processEventsFor(50ms);
    EXPECT_TRUE(doubles.presented->empty());

    // The next change tries again.
    doubles.engines.startError.reset();
    doubles.hardware.emitDefaultInputChange();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.runningEngines() == 1; }));
}

TEST_F(InputMonitorTest, AFailingRestartIsReportedAndShownAndTheMonitorLivesOn)
{
    InputMonitor monitor;
    doubles.engines.startError = missingElement;
    doubles.hardware.emitDefaultInputChange();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
    ASSERT_EQ(doubles.reports->size(), 1u);
    EXPECT_FALSE(doubles.reports->at(0).userInfo.contains("wasIgnored"));
    EXPECT_EQ(doubles.presented->at(0)->code(), 12);

    doubles.engines.startError.reset();
    doubles.hardware.emitDefaultInputChange();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return doubles.runningEngines() == 1; }));
}

// Once the server's default input is no input device (the last one went away, and an output's
// monitor took its place), the monitor stops for good and tells its owner once, without troubling
// the user, and no new one starts. A server that cannot be asked is no such answer.
TEST_F(InputMonitorTest, WithoutAnInputDeviceItStopsForGoodAndSaysSoOnce)
{
    const AudioError unreachable { AudioError::Domain::soundServer, 6, "Connection refused" };
    const std::tuple<const char *, std::vector<HardwareDevice>, std::optional<AudioError>, bool> cases[] = {
        { "the last input went away", { FakeAudioHardware::output(2, "speaker") }, std::nullopt, true },
        { "the server cannot be asked", {}, unreachable, false },
    };
    for (const auto &[name, devices, readError, lost] : cases) {
        SCOPED_TRACE(name);
        SetUp();
        doubles.engines.engines.clear();
        InputMonitor monitor;
        int told = 0;
        QObject::connect(&monitor, &InputMonitor::inputLost, [&] { ++told; });
        doubles.hardware.deviceList = devices;
        doubles.hardware.defaultInput.reset();
        doubles.hardware.defaultInputError = readError;
        doubles.hardware.emitDefaultInputChange();
        // Its engine lost its devices as well: no recovery brings it back either.
        doubles.engines.engines[0]->running = false;
        doubles.engines.engines[0]->emitConfigurationChange();
        TestSupport::processEventsFor(InputMonitor::firstRecoveryDelay + 300ms);

        EXPECT_EQ(monitor.hasLostInput(), lost);
        EXPECT_EQ(told, int(lost));
        EXPECT_EQ(doubles.runningEngines(), lost ? 0 : 1);
        EXPECT_EQ(doubles.hardware.listenerCount(), lost ? 0 : 1);
        EXPECT_TRUE(doubles.presented->empty());
        if (lost) {
            EXPECT_EQ(doubles.engines.engines.size(), 1u) << "no engine built after the loss";
            EXPECT_THROW(InputMonitor(), Error);
        }
    }
}

} // namespace
