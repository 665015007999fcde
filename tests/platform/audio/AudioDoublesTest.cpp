#include "platform/audio/doubles/FakeAudioHardware.h"
#include "platform/audio/doubles/FakeFileRecorder.h"
#include "platform/audio/doubles/FakeMonitorEngine.h"

#include <gtest/gtest.h>

// The doubles other folders test against keep the real classes' less obvious promises.
namespace {

TEST(AudioDoublesTest, FakeRecorderReportsAfterReleaseOnlyWhenStoppedFirst)
{
    FakeFileRecorderFactory factory;
    int ends = 0;
    {
        auto stopped = std::move(factory.makeRecorder(QStringLiteral("/tmp/a.m4a"), {})).value();
        stopped->setFinishedCallback([&](bool) { ++ends; });
        ASSERT_TRUE(stopped->record());
        stopped->stop();
        EXPECT_FALSE(stopped->record());
    }
    {
        auto dropped = std::move(factory.makeRecorder(QStringLiteral("/tmp/b.m4a"), {})).value();
        dropped->setFinishedCallback([&](bool) { ends += 10; });
        ASSERT_TRUE(dropped->record());
    }
    ASSERT_EQ(factory.recordings.size(), 2u);
    factory.recordings[0]->finish(true);
    factory.recordings[1]->finish(true);
    EXPECT_EQ(ends, 1);

    factory.nextError = AudioError { AudioError::Domain::media, 1, QStringLiteral("no encoder") };
    EXPECT_FALSE(factory.makeRecorder(QStringLiteral("/tmp/c.m4a"), {}));
    EXPECT_TRUE(factory.makeRecorder(QStringLiteral("/tmp/c.m4a"), {}));
}

TEST(AudioDoublesTest, FakeHardwareTellsListenersOfRealChangesOnly)
{
    FakeAudioHardware hardware;
    hardware.deviceList = { FakeAudioHardware::input(1, QStringLiteral("mic")),
        FakeAudioHardware::input(2, QStringLiteral("usb"), 1, TransportCode::usb),
        FakeAudioHardware::output(1, QStringLiteral("speakers")) };
    hardware.defaultInput = 1;
    int changes = 0;
    ScopedRegistration registration = hardware.listenForDefaultInputChanges([&] { ++changes; });
    EXPECT_TRUE(hardware.setDefaultInputDevice(2));
    EXPECT_TRUE(hardware.setDefaultInputDevice(2));
    EXPECT_FALSE(hardware.setDefaultInputDevice(1 | HardwareDevice::outputIdFlag));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(hardware.captureDevices().size(), 2u);
    registration.reset();
    hardware.emitDefaultInputChange();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(hardware.listenerCount(), 0);
}

TEST(AudioDoublesTest, FakeEngineForgetsItsHandlerWhenReleased)
{
    FakeMonitorEngineFactory factory;
    int changes = 0;
    {
        auto engine = factory.makeEngine();
        engine->setConfigurationChangeHandler([&] { ++changes; });
        ASSERT_TRUE(engine->start());
        factory.engines[0]->emitConfigurationChange();
    }
    factory.engines[0]->emitConfigurationChange();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(factory.engines[0]->destroyed);
    EXPECT_FALSE(factory.engines[0]->running);
}

} // namespace
