#pragma once

#include "platform/hotkeys/HotKeyError.h"
#include "shortcuts/Shortcut.h"
#include "shortcuts/ShortcutName.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;

// Named global shortcuts: stored in the standard user-defaults database, registered as
// system-wide hot keys, dispatched to handlers on the GUI thread. Every function belongs to
// the GUI thread.
namespace KeyboardShortcuts {

// The stored shortcut; none when absent, of another type, not the stored form, or a key we
// cannot express. An unreadable stored value is left as it is.
std::optional<Shortcut> getShortcut(const Name &name);

// Stores the shortcut for the name (none removes it) and moves the name's hot key to it at
// once. When the new hot key cannot be taken (another program holds it, it is another name's
// shortcut, no key for it) nothing is stored, the previous hot key stays and the error says why.
std::optional<HotKeyError> setShortcut(const std::optional<Shortcut> &shortcut, const Name &name);

// Appends a handler run each time the name's hot key is released, in the order added, and
// registers the stored shortcut unless it is registered already.
void onKeyUp(const Name &name, std::function<void()> action);

// Unregisters the names' stored shortcuts; their handlers stay.
void disable(const std::vector<Name> &names);
// Registers the names' stored shortcuts that are not registered.
void enable(const std::vector<Name> &names);

// The key equivalents of the application's own menu items. A name cannot take one: the menu
// item would lose its keys to the hot key, and every other program with it. One stored before
// (by an earlier version, or written into the settings file) stays stored, so the settings show
// it for the user to replace, but it is neither registered nor shown on an action. Replaces the
// keys given before; a registered shortcut among the new ones is unregistered.
void reserveKeyEquivalents(std::vector<QKeySequence> keys);

// Why the name's stored shortcut does nothing (a menu item or another name has its keys), in
// words; empty when it works or none is stored.
QString storedShortcutConflict(const Name &name);

// The action shows the name's shortcut (none clears it) and follows later changes until it is
// destroyed; a later call replaces the earlier one.
void setShortcut(QAction *action, const std::optional<Name> &name);

// Why global shortcuts cannot work in this session, in words; empty when they can.
QString unavailableMessage();

} // namespace KeyboardShortcuts
