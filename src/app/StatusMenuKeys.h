#pragma once

#include <QKeySequence>

#include <vector>

// The key equivalents of the status menu's own items; the items of the shortcut names show the
// recorded shortcuts instead.
namespace StatusMenuKeys {

QKeySequence settings();

// Every one of them, in the menu and its submenus: none may become a global shortcut.
std::vector<QKeySequence> all();

} // namespace StatusMenuKeys
