#pragma once

#include <QString>

#include <optional>

class QAction;

// Why a menu item is greyed, in words for the user: the item's tooltip in a menu the program
// shows itself, and a greyed line under the item where a panel draws the menu, as the menu
// protocol carries no tooltips.
namespace GreyedReason {

// Makes `reason` the tooltip of `action` and says that it is why the item is greyed.
void set(QAction &action, const QString &reason);

// The reason to show with `action` now: none while it is enabled or hidden, or once its tooltip
// is no longer the reason it was given.
std::optional<QString> shown(const QAction &action);

} // namespace GreyedReason
