#include "TemporaryConfigHome.h"

#include "kit/services/DebugWindowController.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"

#include "EventLoop.h"

#include "platform/userdefaults/UserDefaults.h"

#include <QPlainTextEdit>
#include <QUrlQuery>
#include <QWidget>

#include <gtest/gtest.h>

TEST(FeedbackURL, CarriesTheProductAndTheDebugInformation)
{
    KwKit::setMetadata({ QUrl(QStringLiteral("https://example.org/tapewick")),
        QUrl(QStringLiteral("https://example.org/feedback")),
        QUrl(QStringLiteral("https://example.org/apps")), {} });
    KwApp::customDebugInfo().setValue(QStringLiteral("device"), QStringLiteral("USB mic"));
    const QUrl url = KwApp::feedbackURL();
    KwApp::customDebugInfo().remove(QStringLiteral("device"));
    EXPECT_EQ(url.adjusted(QUrl::RemoveQuery), QUrl(QStringLiteral("https://example.org/feedback")));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("product"), QUrl::FullyDecoded), KwApp::name());
    EXPECT_TRUE(query.queryItemValue(QStringLiteral("metadata"), QUrl::FullyDecoded)
                    .contains(QStringLiteral("Qt: ")));
    EXPECT_TRUE(query.hasQueryItem(QStringLiteral("messageField")));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("extraInfo"), QUrl::FullyDecoded),
        QStringLiteral("device: USB mic"));
}

TEST(RequestReview, CountsEveryCallAndOffersNothingOnTheFirstLaunch)
{
    TemporaryConfigHome home;
    ASSERT_TRUE(KwApp::isFirstLaunch());
    KwApp::requestReview({ 1, 2 });
    KwApp::requestReview({ 1, 2 });
    KwApp::requestReview({ 1, 2 });
    const auto count = UserDefaults::standard()->object("Kw_requestReviewCount");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->exactNumber<int>(), 3);
    // Not offered, so the once-only offer is still unspent.
    EXPECT_FALSE(UserDefaults::standard()->object("Kw_App_runOnce__requestReview"));
}

TEST(DebugWindow, ShowsTheStoredSettingsAndFollowsTheirChanges)
{
    TemporaryConfigHome home;
    UserDefaults::standard()->setObject("before", PropertyValue(1));
    DebugWindowController::shared().showWindow();
    QWidget *window = DebugWindowController::shared().window();
    ASSERT_TRUE(window);
    auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("userDefaultsText"));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("before = ")));
    UserDefaults::standard()->setObject("after", PropertyValue(2));
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return text->toPlainText().contains(QStringLiteral("after = ")); }));
    DebugWindowController::shared().showWindow();
    EXPECT_EQ(DebugWindowController::shared().window(), window);
    window->close();
}
