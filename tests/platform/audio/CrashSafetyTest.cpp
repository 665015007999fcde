#include "AudioTestSupport.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "MediaProbe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class CrashSafetyTest : public TestSupport::DesktopTest
{
};

// Runs the recorder in a child process and kills it with SIGKILL once it holds `seconds` of
// audio; returns the last recorded time the child reported.
double recordAndKill(const QString &path, double seconds)
{
    AudioTest::RecordingChild child(path);
    child.reaches(seconds);
    child.kill();
    return child.reported();
}

TEST_F(CrashSafetyTest, KilledWavRecordingKeepsItsSamplesBehindPlaceholderSizes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("killed.wav"));
    const double reported = recordAndKill(path, 1.5);
    ASSERT_GE(reported, 1.5);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(44);
    ASSERT_EQ(header.size(), 44);
    // The sizes are written at the end; a killed file still claims the placeholder.
    EXPECT_GT(qFromLittleEndian<quint32>(header.constData() + 40), quint32(file.size()));
    const MediaFacts facts = probeMedia(path);
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GE(facts.seconds, reported - 0.3);
}

} // namespace
