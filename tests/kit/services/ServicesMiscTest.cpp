#include "TemporaryConfigHome.h"

#include "kit/services/CrashReporting.h"
#include "kit/services/KwApp.h"
#include "kit/services/UserDefaultsChanges.h"

#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

TEST(UserDefaultsDidChange, SendsOnceForEachChangeUntilCancelled)
{
    TemporaryConfigHome home;
    auto database = UserDefaults::suite("changes-test");
    int changes = 0;
    Events::AnyCancellable subscription
        = userDefaultsDidChangePublisher(database).sink([&](const Events::Void &) { ++changes; });
    database->setObject("a", PropertyValue(1));
    database->setObject("b", PropertyValue(QByteArray("x")));
    database->removeObject("a");
    database->removeObject("never-set");
    EXPECT_EQ(changes, 3);
    subscription.cancel();
    database->setObject("a", PropertyValue(2));
    EXPECT_EQ(changes, 3);
}

TEST(CrashReportWindow, SendsTheFeedbackForItsEvent)
{
    std::vector<CrashReportUserFeedback> sent;
    CrashReportWindow window(
        QStringLiteral("abc"), [&](const CrashReportUserFeedback &feedback) { sent.push_back(feedback); });
    window.nameField()->setText(QStringLiteral(" Ann "));
    window.emailField()->setText(QStringLiteral("ann@example.org"));
    window.commentsField()->setPlainText(QStringLiteral("I pressed stop."));
    window.send();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].eventId, QStringLiteral("abc"));
    EXPECT_EQ(sent[0].name, QStringLiteral("Ann"));
    EXPECT_EQ(sent[0].comments, QStringLiteral("I pressed stop."));

    CrashReportWindow empty(
        QStringLiteral("def"), [&](const CrashReportUserFeedback &feedback) { sent.push_back(feedback); });
    empty.send();
    EXPECT_EQ(sent.size(), 1u);
}

TEST(CrashReportingOptions, TurnsTheMeaninglessOptionsOffAndKeepsTheRest)
{
    CrashReportOptions options;
    options.release = QStringLiteral("kept");
    configureCrashReporting(options, QStringLiteral("https://key@example.org/1"));
    EXPECT_EQ(options.dsn, QStringLiteral("https://key@example.org/1"));
    EXPECT_FALSE(options.enableSwizzling);
    EXPECT_FALSE(options.enableAppHangTracking);
    EXPECT_TRUE(static_cast<bool>(options.onCrashedLastRun));
    EXPECT_EQ(options.release, QStringLiteral("kept"));
}

TEST(ScratchDirectory, QuitRemovesOnlyThisProcesssOwnDirectory)
{
    QTemporaryDir base;
    const QUrl recordings = UniqueTemporaryDirectories::create(base.path());
    const QString scratch = KwApp::scratchDirectory();
    ASSERT_FALSE(scratch.isEmpty());
    EXPECT_EQ(KwApp::scratchDirectory(), scratch);
    EXPECT_EQ(QFileInfo(scratch).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    ASSERT_TRUE(QFile(scratch + QStringLiteral("/part")).open(QIODevice::WriteOnly));

    KwApp::removeScratchDirectory();
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_TRUE(QFileInfo::exists(QDir::tempPath()));
    EXPECT_TRUE(QFileInfo::exists(recordings.toLocalFile()));
    // A later use makes a new one.
    const QString again = KwApp::scratchDirectory();
    EXPECT_TRUE(QFileInfo(again).isDir());
    KwApp::removeScratchDirectory();
}
