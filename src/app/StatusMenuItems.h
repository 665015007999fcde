#pragma once

#include "preferences/DefaultsKey.h"

#include <QString>

#include <chrono>
#include <functional>
#include <set>
#include <string>

class CallbackMenuItem;
class KwMenu;
class QAction;
class QMenu;

// Brings the application forward and runs a warning alert with the platform's single OK button.
void runWarningAlert(const QString &title, const QString &message);

// Appends an item that `update` refreshes at once and then every `interval` until the menu
// closes, so no timer runs while the menu is closed.
QAction *addPeriodicallyUpdatedItem(
    KwMenu *menu, std::chrono::milliseconds interval, std::function<void(QAction *)> update);

// Appends an item checked while the stored set holds `element`; choosing it adds or removes the
// element, then runs the action. The check mark shows the new state at the next rebuild. The item
// keeps a copy of the key.
CallbackMenuItem *addDefaultsSetToggleItem(QMenu *menu, const QString &title,
    const Defaults::Key<std::set<std::string>> &key, const QString &element, bool isEnabled = true,
    std::function<void()> action = {});
