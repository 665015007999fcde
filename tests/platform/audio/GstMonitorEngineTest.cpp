#include "AudioTestSupport.h"
#include "EventLoop.h"

#include "platform/audio/GstMonitorEngine.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using AudioTest::pactl;

namespace {

// The server-side capture streams, by index.
QStringList sourceOutputs()
{
    QStringList indexes;
    const auto listing
        = pactl({ QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs") });
    for (const QString &line : listing.value_or(QString()).split(u'\n', Qt::SkipEmptyParts)) {
        indexes << line.section(u'\t', 0, 0);
    }
    return indexes;
}

TEST(MonitorEngineTest, StartsCaptureAndPlaybackAndStopsThem)
{
    const QStringList before = sourceOutputs();
    GstMonitorEngineFactory factory;
    auto engine = factory.makeEngine();
    ASSERT_TRUE(engine->start());
    EXPECT_TRUE(engine->isRunning());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return sourceOutputs().size() == before.size() + 1; }));

    engine->stop();
    EXPECT_FALSE(engine->isRunning());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return sourceOutputs().size() == before.size(); }));

    // A stopped engine starts again, and a started one restarts in place.
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(engine->start());
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(sourceOutputs().size(), before.size() + 1);
    engine.reset();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return sourceOutputs().size() == before.size(); }));
}

TEST(MonitorEngineTest, MovedInputReportsAConfigurationChange)
{
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

    // A restart is a new engine: its first device is no change.
    ASSERT_TRUE(engine.start());
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(changes, 1);
}

TEST(MonitorEngineTest, MissingServerFailsTheStartAtOnce)
{
    GstMonitorEngine engine(QStringLiteral("unix:/nonexistent/tapewick-test"));
    QElapsedTimer clock;
    clock.start();
    const auto started = engine.start();
    ASSERT_FALSE(started);
    EXPECT_FALSE(started.error().message.isEmpty());
    EXPECT_FALSE(engine.isRunning());
    EXPECT_LT(clock.elapsed(), 3000);
}

} // namespace
