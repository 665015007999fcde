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
    const auto keep = [&](const CrashReportUserFeedback &feedback) { sent.push_back(feedback); };
    CrashReportWindow window("abc", keep);
    window.nameField()->setText(" Ann ");
    window.emailField()->setText("ann@example.org");
    window.commentsField()->setPlainText("I pressed stop.");
    window.send();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].eventId, "abc");
    EXPECT_EQ(sent[0].name, "Ann");
    EXPECT_EQ(sent[0].comments, "I pressed stop.");

    CrashReportWindow("def", keep).send();
    EXPECT_EQ(sent.size(), 1u) << "nothing to send";
}

TEST(ScratchDirectory, QuitRemovesOnlyThisProcesssOwnDirectory)
{
    QTemporaryDir base;
    const QUrl recordings = UniqueTemporaryDirectories::create(base.path());
    const QString scratch = KwApp::scratchDirectory();
    ASSERT_FALSE(scratch.isEmpty());
    EXPECT_EQ(KwApp::scratchDirectory(), scratch);
    EXPECT_EQ(QFileInfo(scratch).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    ASSERT_TRUE(QFile(scratch + "/part").open(QIODevice::WriteOnly));

    KwApp::removeScratchDirectory();
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_TRUE(QFileInfo::exists(QDir::tempPath()));
    EXPECT_TRUE(QFileInfo::exists(recordings.toLocalFile()));
    // A later use makes a new one.
    const QString again = KwApp::scratchDirectory();
    EXPECT_TRUE(QFileInfo(again).isDir());
    KwApp::removeScratchDirectory();
}
