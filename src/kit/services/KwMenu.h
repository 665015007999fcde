#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/CurrentValueSubject.h"

#include <QMenu>

#include <functional>
#include <optional>

// A menu that says when it opens and closes, asks to be filled each time it is about to open, and
// shows its items' tooltips.
class KwMenu : public QMenu
{
    Q_OBJECT

public:
    explicit KwMenu(QWidget *parent = nullptr);
    explicit KwMenu(const QString &title, QWidget *parent = nullptr);

    // Called with the menu each time it is about to be shown, before it counts as open.
    std::function<void(KwMenu &)> onUpdate;

    // Whether the menu is open; a subscriber gets the current value at once.
    Events::AnyPublisher<bool> isOpenPublisher() const { return m_isOpen.eraseToAnyPublisher(); }
    bool isOpen() const { return m_isOpen.value(); }

    // While an item chosen in this menu runs: the modifier keys of the click or key press that
    // chose it. None otherwise, and for an item chosen elsewhere (a panel's copy of the menu).
    std::optional<Qt::KeyboardModifiers> choiceModifiers() const { return m_choiceModifiers; }

protected:
    // An open menu answers its items' key equivalents itself: the application's own shortcut
    // handling passes over menus that belong to no window, such as a tray icon's. Alt alone
    // leaves it open: it changes what a click does, as the Option key does.
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void menuWillOpen();
    void menuDidClose();

    Events::CurrentValueSubject<bool> m_isOpen { false };
    std::optional<Qt::KeyboardModifiers> m_choiceModifiers;
};
