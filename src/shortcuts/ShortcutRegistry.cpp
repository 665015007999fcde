#include "shortcuts/ShortcutRegistry.h"

#include "platform/hotkeys/HotKeysLogging.h"
#include "shortcuts/KeyboardShortcuts.h"
#include "shortcuts/ShortcutNotifications.h"
#include "shortcuts/ShortcutTexts.h"

#include "platform/userdefaults/UserDefaults.h"

#include <algorithm>

namespace KeyboardShortcuts {

namespace {

HotKeyCombination combinationOf(const Shortcut &shortcut)
{
    return { quint32(shortcut.carbonKeyCode), quint32(shortcut.carbonModifiers) };
}

} // namespace

ShortcutRegistry &ShortcutRegistry::shared()
{
    static ShortcutRegistry registry(HotKeys::shared());
    return registry;
}

ShortcutRegistry::ShortcutRegistry(HotKeys &hotKeys)
    : m_hotKeys(hotKeys)
{ }

bool ShortcutRegistry::available() const
{
    return m_hotKeys.availability() == HotKeys::Availability::Available;
}

void ShortcutRegistry::remember(const Name &name)
{
    if (std::find(m_knownNames.begin(), m_knownNames.end(), name) == m_knownNames.end()) {
        m_knownNames.push_back(name);
    }
}

bool ShortcutRegistry::hasHandlers(const Name &name) const
{
    return std::any_of(
        m_handlers.begin(), m_handlers.end(), [&](const Handlers &h) { return h.name == name; });
}

void ShortcutRegistry::onKeyUp(const Name &name, std::function<void()> action)
{
    remember(name);
    auto it = std::find_if(
        m_handlers.begin(), m_handlers.end(), [&](const Handlers &h) { return h.name == name; });
    if (it == m_handlers.end()) {
        it = m_handlers.insert(m_handlers.end(), Handlers { name, {} });
    }
    it->keyUp.push_back(std::move(action));
    if (const auto shortcut = getShortcut(name); shortcut && !isRegistered(*shortcut)) {
        registerShortcut(*shortcut, name);
    }
}

void ShortcutRegistry::disable(const std::vector<Name> &names)
{
    for (const Name &name : names) {
        remember(name);
        if (const auto shortcut = getShortcut(name)) {
            unregisterShortcut(*shortcut);
        }
    }
}

void ShortcutRegistry::enable(const std::vector<Name> &names)
{
    for (const Name &name : names) {
        remember(name);
        if (const auto shortcut = getShortcut(name); shortcut && !isRegistered(*shortcut)) {
            registerShortcut(*shortcut, name);
        }
    }
}

std::optional<HotKeyError> ShortcutRegistry::grab(const Shortcut &shortcut)
{
    auto result = m_hotKeys.registerHotKey(combinationOf(shortcut), [this, shortcut](HotKeyPhase phase) {
        if (phase == HotKeyPhase::Released) {
            released(shortcut);
        }
    });
    if (auto *error = std::get_if<HotKeyError>(&result)) {
        return *error;
    }
    m_registered[shortcut] = std::get<HotKeyId>(result);
    return std::nullopt;
}

void ShortcutRegistry::registerShortcut(const Shortcut &shortcut, const Name &name)
{
    if (isReserved(shortcut)) {
        // Stored before its keys were refused: it stays stored for the settings to show and
        // replace, but the menu item keeps its keys and no other program loses them.
        if (m_reportedReserved.insert(shortcut).second) {
            qCWarning(lcHotKeys).noquote()
                << "The shortcut" << shortcut.description() << "of" << QString::fromStdString(name.rawValue())
                << "is not registered:" << Texts::usedByOtherName();
        }
        return;
    }
    if (!available()) {
        // The session has no hot keys; the backend has said so once already.
        m_registered[shortcut] = std::nullopt;
        return;
    }
    if (m_pauses > 0) {
        m_registered[shortcut] = std::nullopt;
        return;
    }
    if (const auto error = grab(shortcut)) {
        qCWarning(lcHotKeys).noquote()
            << "The shortcut" << shortcut.description() << "of" << QString::fromStdString(name.rawValue())
            << "could not be registered:" << error->message;
    }
}

void ShortcutRegistry::unregisterShortcut(const Shortcut &shortcut)
{
    const auto it = m_registered.find(shortcut);
    if (it == m_registered.end()) {
        return;
    }
    if (it->second) {
        m_hotKeys.unregisterHotKey(*it->second);
    }
    m_registered.erase(it);
}

void ShortcutRegistry::released(const Shortcut &shortcut)
{
    // Copies: a handler may add handlers or change shortcuts.
    std::vector<std::function<void()>> actions;
    for (const Handlers &h : m_handlers) {
        if (getShortcut(h.name) == shortcut) {
            actions.insert(actions.end(), h.keyUp.begin(), h.keyUp.end());
        }
    }
    for (const auto &action : actions) {
        action();
    }
}

std::optional<HotKeyError> ShortcutRegistry::setShortcut(
    const std::optional<Shortcut> &shortcut, const Name &name)
{
    remember(name);
    // Before the comparison with the stored one: storing again a shortcut stored before its keys
    // were refused must not look like success.
    if (shortcut) {
        if (auto refusal = conflict(*shortcut, name)) {
            return refusal;
        }
    }
    const std::optional<Shortcut> previous = getShortcut(name);
    if (shortcut == previous) {
        return std::nullopt;
    }
    const bool previousRegistered = previous && isRegistered(*previous);
    if (shortcut) {
        if (isRegistered(*shortcut)) {
            // Left behind by a name whose stored value was changed outside the library.
            unregisterShortcut(*shortcut);
        }
        if (available()) {
            // Taken before anything changes, so a refusal leaves the previous shortcut working.
            if (auto error = grab(*shortcut)) {
                return error;
            }
            if (m_pauses > 0) {
                m_hotKeys.unregisterHotKey(*m_registered[*shortcut]);
                m_registered[*shortcut] = std::nullopt;
            }
        } else {
            m_registered[*shortcut] = std::nullopt;
        }
    }
    if (previousRegistered) {
        unregisterShortcut(*previous);
    }
    if (shortcut && !previousRegistered && !hasHandlers(name)) {
        // Nothing would run on it: the grab only proved the combination is free.
        unregisterShortcut(*shortcut);
    }

    auto defaults = UserDefaults::standard();
    if (shortcut) {
        defaults->setObject(name.userDefaultsKey(), shortcut->toJson());
    } else {
        defaults->removeObject(name.userDefaultsKey());
    }
    emit ShortcutNotifications::shared().shortcutByNameDidChange(QString::fromStdString(name.rawValue()));
    return std::nullopt;
}

void ShortcutRegistry::setReservedKeys(std::vector<QKeySequence> keys)
{
    m_reservedKeys = std::move(keys);
    std::vector<Shortcut> taken;
    for (const auto &[shortcut, id] : m_registered) {
        if (isReserved(shortcut)) {
            taken.push_back(shortcut);
        }
    }
    for (const Shortcut &shortcut : taken) {
        unregisterShortcut(shortcut);
    }
}

bool ShortcutRegistry::isReserved(const Shortcut &shortcut) const
{
    const QKeySequence keys = shortcut.keySequence();
    return !keys.isEmpty()
        && std::find(m_reservedKeys.begin(), m_reservedKeys.end(), keys) != m_reservedKeys.end();
}

std::optional<HotKeyError> ShortcutRegistry::conflict(const Shortcut &shortcut, const Name &name) const
{
    const auto otherName
        = [&](const Name &other) { return !(other == name) && getShortcut(other) == shortcut; };
    if (isReserved(shortcut) || std::any_of(m_knownNames.begin(), m_knownNames.end(), otherName)) {
        return HotKeyError { HotKeyError::Kind::AlreadyTaken, Texts::usedByOtherName() };
    }
    return std::nullopt;
}

void ShortcutRegistry::pause()
{
    if (m_pauses++ > 0) {
        return;
    }
    for (auto &[shortcut, id] : m_registered) {
        if (id) {
            m_hotKeys.unregisterHotKey(*id);
            id.reset();
        }
    }
}

void ShortcutRegistry::resume()
{
    if (m_pauses == 0 || --m_pauses > 0 || !available()) {
        return;
    }
    std::vector<Shortcut> shortcuts;
    for (const auto &[shortcut, id] : m_registered) {
        shortcuts.push_back(shortcut);
    }
    for (const Shortcut &shortcut : shortcuts) {
        if (const auto error = grab(shortcut)) {
            // Another program took it meanwhile; a later enable tries again.
            m_registered.erase(shortcut);
            qCWarning(lcHotKeys).noquote()
                << "The shortcut" << shortcut.description() << "could not be taken back:" << error->message;
        }
    }
}

} // namespace KeyboardShortcuts
