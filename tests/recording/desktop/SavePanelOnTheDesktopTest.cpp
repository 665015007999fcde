#include "CaughtErrors.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "FakeRecordingSettings.h"
#include "FileContents.h"

#include "recording/AudioRecorderController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Acts on the first modal window of type T once it is shown, while a modal loop runs.
template<typename T>
void whenShown(std::function<void(T &)> act)
{
    auto *poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
            window && window->isVisible()) {
            poll->deleteLater();
            act(*window);
        }
    });
    poll->start(20);
}

// The save panel, as the user meets it, after stopping without a default directory.
class SavePanelOnTheDesktopTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        controller.setRevealer([](const QList<QUrl> &) {});
        controller.setModifierQuery([] { return Qt::NoModifier; });
    }

    // Stops a recording of that name, types `typed` (if any) into the panel's name field in
    // `folder` and accepts; answers the name offered.
    QString saveThroughThePanel(
        const QString &recordingName, const std::optional<QString> &typed, const QString &folder)
    {
        const QString recording
            = TestSupport::writeFile(QDir(recordings.path()).filePath(recordingName), "recorded audio");
        QString offered;
        whenShown<QFileDialog>([&](QFileDialog &panel) {
            panel.setDirectory(folder);
            auto *name = panel.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(name);
            offered = name->text();
            if (typed) {
                name->selectAll();
                QTest::keyClicks(name, *typed);
            }
            QTest::keyClick(name, Qt::Key_Return);
        });
        controller.handleRecordingStopped(QUrl::fromLocalFile(recording));
        return offered;
    }

    // Once the save is over, metadata rewrite and previous recording included.
    QString savedName()
    {
        if ((saved.isEmpty() && !saved.wait(5000)) || (finished.isEmpty() && !finished.wait(5000))) {
            return {};
        }
        finished.takeFirst();
        return QFileInfo(saved.takeFirst().at(0).toUrl().toLocalFile()).fileName();
    }

    QTemporaryDir recordings;
    // Not named as the test program's own temporary folders (`<app name>-XXXXXX`), which the panel
    // refuses.
    QTemporaryDir output { QDir::tempPath() + QStringLiteral("/save-panel-output-XXXXXX") };
    CaughtErrors errors;
    std::shared_ptr<FakeRecordingSettings> settings = std::make_shared<FakeRecordingSettings>();
    AudioRecorderController controller { settings };
    QSignalSpy saved { &controller, &AudioRecorderController::recordingSaved };
    QSignalSpy finished { &controller, &AudioRecorderController::metadataExportFinished };
};

TEST_F(SavePanelOnTheDesktopTest, TheSavedNameEndsInTheRecordingsExtension)
{
    const QString stamped = QStringLiteral("Audio Recording 2026-12-07 at 08.24.16");
    // The recording, the name typed (none keeps the one offered), the name saved.
    const std::tuple<QString, std::optional<QString>, QString> cases[] = {
        { stamped + ".m4a", std::nullopt, stamped + ".m4a" },
        { stamped + ".wav", std::nullopt, stamped + ".wav" },
        { stamped + ".m4a", stamped, stamped + ".m4a" },
        { stamped + ".m4a", "Meeting 10.30", "Meeting 10.30.m4a" },
        { stamped + ".m4a", "Take.wav", "Take.wav.m4a" },
        { stamped + ".m4a", "Loud.M4A", "Loud.M4A" },
    };
    for (const auto &[recording, typed, expected] : cases) {
        SCOPED_TRACE(typed.value_or("(as offered)").toStdString() + " for " + recording.toStdString());
        QTemporaryDir folder(QDir(output.path()).filePath("case-XXXXXX"));
        EXPECT_EQ(saveThroughThePanel(recording, typed, folder.path()).toStdString(), recording.toStdString())
            << "the whole name is offered";
        EXPECT_EQ(savedName().toStdString(), expected.toStdString());
        EXPECT_TRUE(QFile::exists(QDir(folder.path()).filePath(expected)));
    }
    EXPECT_EQ(errors.presentedTexts(), QStringList());
}

TEST_F(SavePanelOnTheDesktopTest, ReplacingAFileIsAskedAboutTheNameThatWillBeWritten)
{
    const QString existing
        = TestSupport::writeFile(QDir(output.path()).filePath("Meeting 10.30.m4a"), "an earlier meeting");
    QString question;
    whenShown<QMessageBox>([&](QMessageBox &box) {
        question = box.text();
        box.button(QMessageBox::No)->click();
        QTimer::singleShot(0, [] {
            if (auto *panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                panel->reject();
            }
        });
    });
    saveThroughThePanel("Take.m4a", "Meeting 10.30", output.path());
    EXPECT_TRUE(question.contains("Meeting 10.30.m4a")) << question.toStdString();
    TestSupport::processEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(saved.size(), 0);
    EXPECT_EQ(TestSupport::readFile(existing), QByteArray("an earlier meeting"));
}

} // namespace
