#pragma once

#include "kit/ui/KwWindow.h"

// Windows of a tray application, which has no main menu to supply the close and
// minimise key commands: Ctrl+W closes, Ctrl+M minimises, with no other modifier.
class MenuBarAppWindowBase : public KwWindow
{
    Q_OBJECT
public:
    using KwWindow::KwWindow;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Escape with no modifier.
    virtual void cancelOperation() { }
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
