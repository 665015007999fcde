#include "app/MoreMenu.h"

#include "app/MenuTexts.h"
#include "app/StatusMenuItems.h"
#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"
#include "kit/services/KwKit.h"
#include "kit/services/KwMenu.h"
#include "kit/services/MenuItems.h"
#include "recording/TemporaryRecordings.h"

namespace {

CallbackMenuItem *addAction(QMenu *menu, const QString &title, std::function<void()> callback)
{
    auto *item = new CallbackMenuItem(title, std::move(callback), menu);
    menu->addAction(item);
    return item;
}

void addPageItem(QMenu *menu, const QString &title, const QString &anchor)
{
    addAction(menu, title, [anchor] { KwApp::openURL(MoreMenu::productPage(anchor)); });
}

} // namespace

namespace MoreMenu {

QUrl productPage(const QString &anchor)
{
    QUrl page = KwKit::metadata().website;
    page.setFragment(anchor);
    return page;
}

KwMenu *make()
{
    auto *menu = new KwMenu();
    addAction(menu, MenuTexts::about, [] { KwApp::showAboutWindow(); });
    menu->addSeparator();
    addPageItem(menu, MenuTexts::recordSystemAudio, QStringLiteral("record-system-audio"));
    addPageItem(menu, MenuTexts::transcribeAudio, QStringLiteral("transcribe"));
    addAction(menu, MenuTexts::recoverRecordings, [] {
        recoverRecordings();
    })->setToolTip(MenuTexts::recoverRecordingsTooltip);
    menu->addSeparator();
    addAction(menu, MenuTexts::sendFeedback, [] { KwApp::openSendFeedbackPage(); });
    menu->addSeparator();
    addPageItem(menu, MenuTexts::faq, QStringLiteral("faq"));
    addWebsiteItem(menu);
    menu->addSeparator();
    addRateAppItem(menu);
    addMoreAppsItem(menu);
    return menu;
}

void recoverRecordings()
{
    if (KwApp::runOnce(QStringLiteral("recoverRecordingsTip"))) {
        runWarningAlert(MenuTexts::recoverTitle, MenuTexts::recoverMessage);
    }
    try {
        showTemporaryRecordingsDirectory();
    } catch (const Error &error) {
        KwApp::reportError(error);
        presentAsSheet(error, nullptr);
    }
}

} // namespace MoreMenu
