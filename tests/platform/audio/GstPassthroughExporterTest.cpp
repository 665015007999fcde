#include "AudioTestSupport.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "MediaProbe.h"
#include "SignalAnalysis.h"

#include "platform/audio/GstFileRecorder.h"
#include "platform/audio/GstPassthroughExporter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class ExporterTest : public TestSupport::DesktopTest
{
protected:
    std::optional<AudioResult<void>> exportFile(const QString &source, const QString &destination)
    {
        std::optional<AudioResult<void>> result;
        int calls = 0;
        m_exporter.exportWithSoftware(
            source, destination, QStringLiteral("Tapewick"), [&](AudioResult<void> r) {
                ++calls;
                result = std::move(r);
            });
        EXPECT_FALSE(result.has_value()) << "the completion must not run inside the call";
        TestSupport::processEventsUntil([&] { return calls > 0; }, 10s);
        TestSupport::processEventsFor(100ms);
        EXPECT_LE(calls, 1);
        return result;
    }

    QTemporaryDir m_dir;
    GstPassthroughExporter m_exporter;
};

TEST_F(ExporterTest, CopiesTheAudioUnchangedAndNamesTheSoftware)
{
    const QString recorded = m_dir.filePath(QStringLiteral("recorded.m4a"));
    AudioTest::EndWatcher end;
    auto recorder = AudioTest::startRecording(recorded, end, 1.0);
    ASSERT_TRUE(recorder);
    recorder->stop();
    ASSERT_TRUE(end.waitForEnd());
    const QByteArray before = digest(recorded);

    const QString exported = m_dir.filePath(QStringLiteral("exported.m4a"));
    const auto result = exportFile(recorded, exported);
    ASSERT_TRUE(result.has_value());
    ASSERT_TRUE(result->hasValue()) << result->error().message.toStdString();

    EXPECT_EQ(digest(recorded), before);
    const MediaFacts original = probeMedia(recorded);
    const MediaFacts copy = probeMedia(exported);
    ASSERT_TRUE(copy.decoded) << copy.error.toStdString();
    EXPECT_EQ(copy.encoder, QStringLiteral("Tapewick"));
    EXPECT_NE(original.encoder, QStringLiteral("Tapewick"));
    EXPECT_TRUE(copy.audioCodec.contains(QLatin1String("AAC")));
    EXPECT_EQ(copy.sampleRate, original.sampleRate);
    EXPECT_EQ(copy.channels, original.channels);
    EXPECT_NEAR(copy.seconds, original.seconds, 0.03);
    EXPECT_NEAR(TestSupport::SignalAnalysis::rms(copy.samples),
        TestSupport::SignalAnalysis::rms(original.samples), 0.005);
    // No second encoding: the compressed audio keeps its size.
    EXPECT_NEAR(double(QFile(exported).size()), double(QFile(recorded).size()), 4096);
}

TEST_F(ExporterTest, ASourceThatIsNoMp4OrIsMissingFails)
{
    QFile text(m_dir.filePath(QStringLiteral("notes.m4a")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    for (const QString &source : { text.fileName(), m_dir.filePath(QStringLiteral("absent.m4a")) }) {
        const auto result = exportFile(source, m_dir.filePath(QStringLiteral("out.m4a")));
        ASSERT_TRUE(result.has_value());
        ASSERT_FALSE(result->hasValue()) << source.toStdString();
        EXPECT_FALSE(result->error().message.isEmpty());
    }
}

} // namespace
