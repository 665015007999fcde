#include "shortcuts/KeyboardShortcuts.h"

#include "shortcuts/ShortcutNotifications.h"
#include "shortcuts/ShortcutRegistry.h"

#include "platform/userdefaults/UserDefaults.h"

#include <QAction>

namespace KeyboardShortcuts {

namespace {

const char actionObserverName[] = "KeyboardShortcuts_shortcutObserver";

void applyShortcut(QAction *action, const std::optional<Name> &name)
{
    const auto shortcut = name ? getShortcut(*name) : std::nullopt;
    // A reserved one would show a menu item's keys twice, and the first item would take them.
    const bool shown = shortcut && !ShortcutRegistry::shared().isReserved(*shortcut);
    action->setShortcut(shown ? shortcut->keySequence() : QKeySequence());
}

} // namespace

std::optional<Shortcut> getShortcut(const Name &name)
{
    const auto stored = UserDefaults::standard()->object(name.userDefaultsKey());
    const std::string *json = stored ? stored->as<std::string>() : nullptr;
    return json ? Shortcut::fromJson(*json) : std::nullopt;
}

std::optional<HotKeyError> setShortcut(const std::optional<Shortcut> &shortcut, const Name &name)
{
    return ShortcutRegistry::shared().setShortcut(shortcut, name);
}

void onKeyUp(const Name &name, std::function<void()> action)
{
    ShortcutRegistry::shared().onKeyUp(name, std::move(action));
}

void disable(const std::vector<Name> &names)
{
    ShortcutRegistry::shared().disable(names);
}

void enable(const std::vector<Name> &names)
{
    ShortcutRegistry::shared().enable(names);
}

void reserveKeyEquivalents(std::vector<QKeySequence> keys)
{
    ShortcutRegistry::shared().setReservedKeys(std::move(keys));
}

QString storedShortcutConflict(const Name &name)
{
    const auto shortcut = getShortcut(name);
    const auto conflict = shortcut ? ShortcutRegistry::shared().conflict(*shortcut, name) : std::nullopt;
    return conflict ? conflict->message : QString();
}

void setShortcut(QAction *action, const std::optional<Name> &name)
{
    delete action->findChild<QObject *>(actionObserverName, Qt::FindDirectChildrenOnly);
    applyShortcut(action, name);
    if (!name) {
        return;
    }
    // A child of the action, so the observation ends with it.
    auto *observer = new QObject(action);
    observer->setObjectName(actionObserverName);
    const QString rawValue = QString::fromStdString(name->rawValue());
    QObject::connect(&ShortcutNotifications::shared(), &ShortcutNotifications::shortcutByNameDidChange,
        observer, [action, name, rawValue](const QString &changed) {
            if (changed == rawValue) {
                applyShortcut(action, name);
            }
        });
}

QString unavailableMessage()
{
    return ShortcutRegistry::shared().hotKeys().unavailableMessage();
}

} // namespace KeyboardShortcuts
