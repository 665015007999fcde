#pragma once

#include <QAction>

#include <functional>
#include <optional>

// A menu item that runs a closure when chosen.
class CallbackMenuItem : public QAction
{
    Q_OBJECT

public:
    // The key equivalent is one character; an upper-case letter adds Shift. Without modifiers
    // the platform's command modifier (Control) applies.
    CallbackMenuItem(const QString &title, const QString &keyEquivalent,
        std::optional<Qt::KeyboardModifiers> modifiers, bool isEnabled, bool isChecked, bool isHidden,
        std::function<void()> callback, QObject *parent = nullptr);
    CallbackMenuItem(const QString &title, std::function<void()> callback, QObject *parent = nullptr);

    // On or off; choosing the item does not change it (the menu is rebuilt to show new state).
    bool isOn() const { return m_on; }
    void setOn(bool on);

    static QKeySequence shortcutFor(
        const QString &keyEquivalent, std::optional<Qt::KeyboardModifiers> modifiers);

private:
    void chosen();

    std::function<void()> m_callback;
    bool m_on = false;
};
