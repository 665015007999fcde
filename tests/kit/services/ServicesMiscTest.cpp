#include "EventLoop.h"
#include "TemporaryConfigHome.h"
#include "UrlOpenCatcher.h"

#include "kit/services/CrashReporting.h"
#include "kit/services/KwApp.h"
#include "kit/services/UserDefaultsChanges.h"
#include "kit/ui/HostingWindow.h"
#include "kit/ui/WindowLevel.h"

#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

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

// The window has no title-bar buttons: it ends through its own, sending or not.
TEST(CrashReportWindow, SendsTheFeedbackForItsEventOrNothingAndClosesEitherWay)
{
    std::vector<CrashReportUserFeedback> sent;
    const auto keep = [&](const CrashReportUserFeedback &feedback) { sent.push_back(feedback); };
    const struct
    {
        const char *answer;
        QString comments;
        bool send;
        std::size_t sentAfter;
    } answers[] = {
        { "send", " I pressed stop. ", true, 1 },
        { "send without comments", "  ", true, 1 },
        { "don't send", "It froze.", false, 1 },
    };
    for (const auto &answer : answers) {
        SCOPED_TRACE(answer.answer);
        QPointer<HostingWindow> window = CrashReportWindow::make("abc", keep);
        EXPECT_EQ(window->options().constrainWindowToScreen, false);
        EXPECT_EQ(window->options().canBecomeKey, true);
        EXPECT_EQ(window->options().closeOnEscape, false);
        window->show();
        auto *screen = qobject_cast<CrashReportScreen *>(window->content());
        ASSERT_TRUE(screen);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !titlebarButtonsVisible(window); }));
        screen->nameField()->setText(" Ann ");
        screen->emailField()->setText("ann@example.org");
        screen->commentsField()->setPlainText(answer.comments);
        answer.send ? screen->send() : screen->dismiss();
        EXPECT_EQ(sent.size(), answer.sentAfter);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return window.isNull(); }))
            << "closed and released";
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].eventId, "abc");
    EXPECT_EQ(sent[0].name, "Ann");
    EXPECT_EQ(sent[0].email, "ann@example.org");
    EXPECT_EQ(sent[0].comments, "I pressed stop.");
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

namespace {

QStringList g_warnings;

void collectWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg) {
        g_warnings << message;
    }
}

} // namespace

// Opening a page shows nothing when it fails; the address it could not open is in the log.
TEST(KwAppOpenURL, APageThatCannotBeOpenedIsLoggedWithItsAddress)
{
    UrlOpenCatcher pages(QStringLiteral("tapewick-test"));
    const struct
    {
        QUrl url;
        bool opens;
    } cases[] = {
        { QUrl(QStringLiteral("#faq")), false },
        { QUrl(), false },
        { QUrl(QStringLiteral("tapewick-test:help#faq")), true },
    };
    for (const auto &c : cases) {
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        KwApp::openURL(c.url);
        qInstallMessageHandler(previous);
        const QString address = c.url.toString();
        EXPECT_EQ(g_warnings.size(), c.opens ? 0 : 1) << address.toStdString();
        if (!c.opens && !g_warnings.isEmpty()) {
            EXPECT_TRUE(g_warnings.front().endsWith(QStringLiteral("Could not open ") + address))
                << g_warnings.front().toStdString();
        }
    }
    EXPECT_EQ(pages.opened, QList<QUrl> { cases[2].url });
}
