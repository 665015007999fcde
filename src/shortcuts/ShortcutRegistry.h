#pragma once

#include "platform/hotkeys/HotKeys.h"
#include "shortcuts/Shortcut.h"
#include "shortcuts/ShortcutName.h"

#include <QKeySequence>

#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace KeyboardShortcuts {

// The state behind the KeyboardShortcuts functions: the key-up handlers by name and the set of
// shortcuts registered as hot keys. Belongs to the GUI thread.
class ShortcutRegistry
{
public:
    static ShortcutRegistry &shared();
    explicit ShortcutRegistry(HotKeys &hotKeys);

    void onKeyUp(const Name &name, std::function<void()> action);
    void disable(const std::vector<Name> &names);
    void enable(const std::vector<Name> &names);
    std::optional<HotKeyError> setShortcut(const std::optional<Shortcut> &shortcut, const Name &name);
    bool isRegistered(const Shortcut &shortcut) const { return m_registered.contains(shortcut); }

    // The key equivalents of the application's own menu items, which no name may take.
    void setReservedKeys(std::vector<QKeySequence> keys);
    bool isReserved(const Shortcut &shortcut) const;
    // Why the name cannot have the shortcut: a menu item or another name answers to it.
    std::optional<HotKeyError> conflict(const Shortcut &shortcut, const Name &name) const;

    // While a recorder records, the hot keys let their keys through; the set is kept and taken
    // again when the last pause ends.
    void pause();
    void resume();

    HotKeys &hotKeys() const { return m_hotKeys; }

private:
    struct Handlers
    {
        Name name;
        std::vector<std::function<void()>> keyUp;
    };

    void remember(const Name &name);
    std::optional<HotKeyError> grab(const Shortcut &shortcut);
    void registerShortcut(const Shortcut &shortcut, const Name &name);
    void unregisterShortcut(const Shortcut &shortcut);
    void released(const Shortcut &shortcut);
    bool hasHandlers(const Name &name) const;
    bool available() const;

    HotKeys &m_hotKeys;
    std::vector<Handlers> m_handlers; // in the order names were first given handlers
    std::vector<Name> m_knownNames;
    // Registered shortcuts and their hot keys; none while paused.
    std::unordered_map<Shortcut, std::optional<HotKeyId>> m_registered;
    int m_pauses = 0;
    std::vector<QKeySequence> m_reservedKeys;
    // Stored shortcuts already logged as left unregistered for a menu item's sake.
    std::unordered_set<Shortcut> m_reportedReserved;
};

} // namespace KeyboardShortcuts
