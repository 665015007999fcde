#include "DesktopTest.h"
#include "EventLoop.h"
#include "Pactl.h"
#include "PulseModule.h"
#include "TestDesktop.h"

#include "recording/InputMonitor.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using TestSupport::Pactl::captureStreamsOfThisProcess;

class MonitorOnTheSoundServerTest : public TestSupport::DesktopTest
{
protected:
    void TearDown() override
    {
        TestSupport::Pactl::run({ "set-default-source", TestSupport::TestDesktop::toneSource() });
    }
};

const QString other = QStringLiteral("tapewick_recording_other_source");

std::optional<TestSupport::PulseModule> loadOtherSource(QString *error)
{
    return TestSupport::PulseModule::load("module-remap-source",
        { "source_name=" + other, "master=" + TestSupport::TestDesktop::toneFeedSink() + ".monitor" }, error);
}

TEST_F(MonitorOnTheSoundServerTest, TheMonitorFollowsTheDefaultSource)
{
    QString error;
    auto module = loadOtherSource(&error);
    ASSERT_TRUE(module) << error.toStdString();

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
