#include "kit/ui/MenuBarAppWindow.h"

#include "kit/ui/KeyCommand.h"

#include <QKeyEvent>

void MenuBarAppWindowBase::keyPressEvent(QKeyEvent *event)
{
    if (KeyCommand::matches(*event, Qt::Key_W, Qt::ControlModifier)) {
        close();
        event->accept();
        return;
    }
    if (KeyCommand::matches(*event, Qt::Key_M, Qt::ControlModifier)) {
        showMinimized();
        event->accept();
        return;
    }
    if (KeyCommand::matches(*event, Qt::Key_Escape, Qt::NoModifier)) {
        cancelOperation();
        event->accept();
        return;
    }
    KwWindow::keyPressEvent(event);
}

MenuBarAppWindow::MenuBarAppWindow()
    : MenuBarAppWindowBase(Qt::Window)
{ }

void MenuBarAppWindow::cancelOperation()
{
    if (m_shouldCloseOnEscapePress) {
        close();
    }
}

MenuBarAppPanel::MenuBarAppPanel()
    : MenuBarAppWindowBase(Qt::Tool)
{ }

void MenuBarAppPanel::cancelOperation()
{
    close();
}
