#pragma once

#include "kit/ui/KwWindow.h"

// Windows of a tray application, which has no main menu to supply the close and
// minimise key commands: Ctrl+W closes, Ctrl+M minimises, with no other modifier.
class MenuBarAppWindowBase : public KwWindow
{
    Q_OBJECT
public:
    using KwWindow::KwWindow;

    // Whether the window may cover the desktop's top panel; otherwise its top edge is kept
    // below the panels, where the title bar stays reachable.
    bool allowedAboveMenuBar() const { return m_allowedAboveMenuBar; }
    void setAllowedAboveMenuBar(bool allowed) { m_allowedAboveMenuBar = allowed; }

    // The frame the window takes when `proposed` is asked for on a screen whose area free of
    // panels is `available`.
    QRect constrainFrameRect(const QRect &proposed, const QRect &available) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Escape with no modifier.
    virtual void cancelOperation() { }

private:
    void constrainToScreen();

    bool m_allowedAboveMenuBar = false;
};

class MenuBarAppWindow : public MenuBarAppWindowBase
{
    Q_OBJECT
public:
    MenuBarAppWindow();

    bool shouldCloseOnEscapePress() const { return m_shouldCloseOnEscapePress; }
    void setShouldCloseOnEscapePress(bool close) { m_shouldCloseOnEscapePress = close; }

protected:
    // Escape is consumed either way, so it never reaches anything behind the window.
    void cancelOperation() override;

private:
    bool m_shouldCloseOnEscapePress = false;
};

// A utility panel; as panels do, it closes on Escape.
class MenuBarAppPanel : public MenuBarAppWindowBase
{
    Q_OBJECT
public:
    MenuBarAppPanel();

protected:
    void cancelOperation() override;
};
