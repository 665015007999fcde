#include "kit/services/MenuItems.h"

#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/KwMenu.h"
#include "kit/services/ServiceTexts.h"

#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/objects/MenuItemCancellables.h"
#include "kit/foundation/text/StringHelpers.h"
#include "kit/foundation/text/TextFont.h"
#include "preferences/Defaults.h"

#include <QMenu>
#include <QPointer>

namespace {
const QString quitKeyEquivalent = QStringLiteral("q");

// The ratio of the platform's small system font (11 points) to its standard one (13 points).
constexpr qreal smallFontRatio = 11.0 / 13.0;

// The page is read when the item is chosen, so metadata set after the menu was built counts.
CallbackMenuItem *addPageItem(QMenu *menu, const QString &title, QUrl KwKit::Metadata::*page)
{
    auto *item = new CallbackMenuItem(
        title, [page] { KwApp::openURL(KwKit::metadata().*page); }, menu);
    menu->addAction(item);
    return item;
}
} // namespace

qreal smallSystemFontSize()
{
    return TextFont::systemFontSize() * smallFontRatio;
}

QAction *addHeader(QMenu *menu, const QString &title, bool separatorBefore)
{
    if (separatorBefore) {
        menu->addSeparator();
    }
    QAction *header = menu->addAction(withLiteralAmpersands(title));
    header->setEnabled(false);
    QFont font = header->font();
    font.setPointSizeF(smallSystemFontSize());
    header->setFont(font);
    return header;
}

CallbackMenuItem *addDefaultsToggleItem(QMenu *menu, const QString &title, const Defaults::Key<bool> &key,
    bool isEnabled, std::function<void()> action)
{
    auto *item = new CallbackMenuItem(
        title, QString(), std::nullopt, isEnabled, Defaults::get(key), false,
        [key, action = std::move(action)] {
            Defaults::set(key, !Defaults::get(key));
            if (action) {
                action();
            }
        },
        menu);
    menu->addAction(item);
    return item;
}

void setLazySubmenu(QAction *item, std::function<QMenu *()> makeMenu)
{
    auto *submenu = new KwMenu();
    QObject::connect(item, &QObject::destroyed, submenu, &QObject::deleteLater);
    item->setMenu(submenu);
    if (!item->isEnabled()) {
        return;
    }
    QPointer<KwMenu> target(submenu);
    keepCancellable(
        item, submenu->isOpenPublisher().sink([target, makeMenu = std::move(makeMenu)](bool isOpen) {
            if (!isOpen || !target || !target->isEmpty()) {
                return;
            }
            QMenu *built = makeMenu();
            if (!built) {
                return;
            }
            for (QAction *action : built->actions()) {
                built->removeAction(action);
                if (action->parent() == built) {
                    action->setParent(target);
                }
                target->addAction(action);
            }
            built->deleteLater();
        }));
}

CallbackMenuItem *addQuitItem(QMenu *menu)
{
    auto *item = new CallbackMenuItem(
        ServiceTexts::quitItem(KwApp::name()), quitKeyEquivalent, std::nullopt, true, false, false,
        [] { quitAppAsync(); }, menu);
    menu->addAction(item);
    return item;
}

QKeySequence quitItemKeys()
{
    return CallbackMenuItem::shortcutFor(quitKeyEquivalent, std::nullopt);
}

CallbackMenuItem *addWebsiteItem(QMenu *menu)
{
    return addPageItem(menu, ServiceTexts::websiteItem(), &KwKit::Metadata::website);
}

CallbackMenuItem *addRateAppItem(QMenu *menu)
{
    const std::optional<QString> storeIdentifier = KwKit::metadata().storeIdentifier;
    if (!storeIdentifier || KwApp::isFirstLaunch() || KwApp::crashedLastRun()) {
        return nullptr;
    }
    return addPageItem(menu, ServiceTexts::rateAppItem(), &KwKit::Metadata::website);
}

CallbackMenuItem *addMoreAppsItem(QMenu *menu)
{
    return addPageItem(menu, ServiceTexts::moreAppsItem(), &KwKit::Metadata::moreAppsPage);
}
