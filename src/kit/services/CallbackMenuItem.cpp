#include "kit/services/CallbackMenuItem.h"

#include "kit/foundation/text/StringHelpers.h"

#include <QSignalBlocker>

CallbackMenuItem::CallbackMenuItem(const QString &title, const QString &keyEquivalent,
    std::optional<Qt::KeyboardModifiers> modifiers, bool isEnabled, bool isChecked, bool isHidden,
    std::function<void()> callback, QObject *parent)
    : QAction(withLiteralAmpersands(title), parent)
    , m_callback(std::move(callback))
{
    setShortcut(shortcutFor(keyEquivalent, modifiers));
    setEnabled(isEnabled);
    setOn(isChecked);
    setVisible(!isHidden);
    connect(this, &QAction::triggered, this, &CallbackMenuItem::chosen);
}

CallbackMenuItem::CallbackMenuItem(const QString &title, std::function<void()> callback, QObject *parent)
    : CallbackMenuItem(title, QString(), std::nullopt, true, false, false, std::move(callback), parent)
{ }

void CallbackMenuItem::setOn(bool on)
{
    m_on = on;
    // Only an item that is on shows a mark, as in a menu whose items carry a state.
    setCheckable(on);
    setChecked(on);
}

QKeySequence CallbackMenuItem::shortcutFor(
    const QString &keyEquivalent, std::optional<Qt::KeyboardModifiers> modifiers)
{
    if (keyEquivalent.isEmpty()) {
        return {};
    }
    const QChar character = keyEquivalent.at(0);
    Qt::KeyboardModifiers keys = modifiers.value_or(Qt::ControlModifier);
    if (character.isLetter() && character.isUpper()) {
        keys |= Qt::ShiftModifier;
    }
    const QKeySequence key(QString(character.toUpper()));
    if (key.isEmpty()) {
        return {};
    }
    return QKeySequence(QKeyCombination(keys, key[0].key()));
}

void CallbackMenuItem::chosen()
{
    // A checkable action flips itself when chosen; the state is the menu's to set.
    {
        const QSignalBlocker blocker(this);
        setChecked(m_on);
    }
    if (m_callback) {
        m_callback();
    }
}
