#include "../FakeRecordingSettings.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "SignalAnalysis.h"
#include "SoundServerSupport.h"
#include "TestDesktop.h"
#include "platform/audio/probe/MediaProbe.h"

#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"

#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/PropertyList.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/desktop/StatusBarButton.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using State = AudioRecorder::State;

class ControllerOnTheDesktopTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        ASSERT_TRUE(output.isValid());
        FoundationHooks::setAppName(QStringLiteral("Tapewick"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
        settings->outputDirectory = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()));
        settings->showDuration = true;
        controller.setStatusBarButton(&button);
        controller.setRevealer([this](const QList<QUrl> &files) { revealed.append(files); });
        controller.setModifierQuery([] { return Qt::NoModifier; });
    }

    QTemporaryDir output;
    std::shared_ptr<FakeRecordingSettings> settings = std::make_shared<FakeRecordingSettings>();
    AudioRecorderController controller { settings };
    StatusBarButton button;
    QList<QUrl> revealed;
};

TEST_F(ControllerOnTheDesktopTest, TwoSecondsOfTheToneSavedIntoTheDefaultDirectory)
{
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    QSignalSpy exported(&controller, &AudioRecorderController::metadataExportFinished);

    controller.toggleRecording();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return controller.recorder().state() == State::recording;
    })) << "the recording did not start after the start sound";
    TestSupport::processEventsFor(2s);
    EXPECT_TRUE(button.title().startsWith(QStringLiteral("00:0"))) << button.title().toStdString();
    const QString temporary = controller.recorder().url()->toLocalFile();
    controller.toggleRecording();

    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return exported.count() == 1; }, 20s))
        << "the saved recording was not rewritten";
    ASSERT_EQ(saved.count(), 1);
    const QString path = saved.at(0).at(0).toUrl().toLocalFile();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(output.path()).absoluteFilePath());
    EXPECT_TRUE(QRegularExpression(
        QStringLiteral("^Audio Recording \\d{4}-\\d{2}-\\d{2} at \\d{2}\\.\\d{2}\\.\\d{2}\\.m4a$"))
                    .match(QFileInfo(path).fileName())
                    .hasMatch())
        << QFileInfo(path).fileName().toStdString();
    EXPECT_TRUE(QFile::exists(temporary)) << "the temporary recording stays for recovery";
    EXPECT_EQ(button.title(), QString());
    EXPECT_EQ(revealed, QList<QUrl> { QUrl::fromLocalFile(path) });

    ASSERT_TRUE(settings->previous);
    EXPECT_EQ(settings->previous->resolvedURL(), QUrl::fromLocalFile(path));

    const QByteArray creator = ExtendedAttributes(QUrl::fromLocalFile(path))
                                   .get(QStringLiteral("com.apple.metadata:kMDItemCreator"));
    EXPECT_EQ(PropertyList::decode(creator), QVariant(QStringLiteral("Tapewick 1.2")));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.mid(4, 4), "ftyp") << "an MPEG-4 file";
    EXPECT_TRUE(bytes.contains("Tapewick")) << "the software is named in the metadata";

    const MediaFacts media = probeMedia(path);
    ASSERT_TRUE(media.decoded) << media.error.toStdString();
    EXPECT_EQ(media.sampleRate, 48000);
    const double seconds = double(media.channel(0).size()) / media.sampleRate;
    EXPECT_GT(seconds, 1.5);
    EXPECT_LT(seconds, 3.5);
    const std::vector<float> channel = media.channel(0);
    const std::vector<float> steady(
        channel.begin() + std::min<std::ptrdiff_t>(channel.size(), 9600), channel.end());
    EXPECT_NEAR(TestSupport::SignalAnalysis::dominantFrequency(steady, media.sampleRate),
        TestSupport::TestDesktop::toneFrequency(), 2);
}

} // namespace
