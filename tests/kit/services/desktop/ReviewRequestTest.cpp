#include "EventLoop.h"
#include "UrlOpenCatcher.h"

#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/ServiceTexts.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// A review is asked for only where a few words can be written: on the maker's feedback page,
// not on the help page that comes with the program.
TEST(ReviewRequest, IsOfferedOnlyWithAFeedbackPageAndOpensThatPage)
{
    // A later launch: the launch facts are settled the first time anything asks.
    UserDefaults &database = *UserDefaults::standard();
    database.setObject("Kw_launchCount", PropertyValue(qint64(1)));
    ASSERT_FALSE(KwApp::isFirstLaunch()) << "settled as a first launch earlier in this process";
    ASSERT_FALSE(KwApp::crashedLastRun());

    const KwKit::Metadata before = KwKit::metadata();
    const QUrl help = QUrl::fromLocalFile(QStringLiteral("/usr/share/tapewick/help.html"));
    const QUrl feedback(QStringLiteral("https://example.org/tapewick/feedback"));
    const struct
    {
        const char *name;
        bool page;
        QStringList alerts;
        QList<QUrl> opened;
    } cases[] = {
        { "the help page's section", false, {}, {} },
        { "a feedback page", true, { ServiceTexts::reviewTitle(KwApp::name()) }, { feedback } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        database.removeObject("Kw_App_runOnce__requestReview");
        database.setObject("Kw_requestReviewCount", PropertyValue(qint64(5)));
        QUrl section = help;
        section.setFragment(QStringLiteral("feedback"));
        KwKit::setMetadata({ help, c.page ? feedback : section, help, {}, c.page });
        UrlOpenCatcher files;
        UrlOpenCatcher web(QStringLiteral("https"));
        // Answers the offer as a user who likes the program.
        QStringList alerts;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!alert || !alert->isVisible()) {
                return;
            }
            alerts << alert->text();
            for (QAbstractButton *button : alert->buttons()) {
                if (button->text() == ServiceTexts::reviewOpenWebsite()) {
                    button->click();
                }
            }
        });
        answer.start(20);

        KwApp::requestReview({ 6 });
        EXPECT_EQ(database.object("Kw_requestReviewCount"), PropertyValue(qint64(6))) << "counted either way";
        // Not offered, the once-only offer stays unspent. Its key registers "unspent" as its default
        // when first used, so a removed one still has a value in a later run in the same process.
        EXPECT_EQ(database.object("Kw_App_runOnce__requestReview") == PropertyValue(true), c.page);
        TestSupport::processEventsUntil([&] { return !(files.opened + web.opened).isEmpty(); }, 2s);
        EXPECT_EQ(alerts, c.alerts);
        EXPECT_EQ(files.opened + web.opened, c.opened);
    }
    KwKit::setMetadata(before);
}
