#pragma once

#include "preferences/DefaultsKey.h"

#include <QKeySequence>
#include <QString>

#include <functional>

class CallbackMenuItem;
class QAction;
class QMenu;

// Appends a separator when asked, then a disabled item titled in the small font.
QAction *addHeader(QMenu *menu, const QString &title, bool separatorBefore = false);

// Appends an item checked while the key is true; choosing it inverts the stored value, then runs
// the action. The item keeps a copy of the key.
CallbackMenuItem *addDefaultsToggleItem(QMenu *menu, const QString &title, const Defaults::Key<bool> &key,
    bool isEnabled = true, std::function<void()> action = {});

// Gives the item an empty submenu that `makeMenu` fills the first time it opens (only while the
// item is enabled); the subscription lives as long as the item.
void setLazySubmenu(QAction *item, std::function<QMenu *()> makeMenu);

// "Quit <name>" with Ctrl+Q, quitting through the application's quit confirmation.
CallbackMenuItem *addQuitItem(QMenu *menu);
// The quit item's keys.
QKeySequence quitItemKeys();
// "Website", opening the product's web page.
CallbackMenuItem *addWebsiteItem(QMenu *menu);
// "Rate on the App Store", only with a store identifier, after the first launch and when the
// application has not crashed; none otherwise.
CallbackMenuItem *addRateAppItem(QMenu *menu);
// "More Apps by Me", opening the maker's page.
CallbackMenuItem *addMoreAppsItem(QMenu *menu);

// The size the small system font has beside the standard one.
qreal smallSystemFontSize();
