#include "kit/ui/MenuBarAppWindow.h"

#include "kit/ui/KeyCommand.h"

#include <QKeyEvent>
#include <QScreen>

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

QRect MenuBarAppWindowBase::constrainFrameRect(const QRect &proposed, const QRect &available) const
{
    if (m_allowedAboveMenuBar || proposed.top() >= available.top()) {
        return proposed;
    }
    return proposed.translated(0, available.top() - proposed.top());
}

void MenuBarAppWindowBase::moveEvent(QMoveEvent *event)
{
    KwWindow::moveEvent(event);
    constrainToScreen();
}

void MenuBarAppWindowBase::showEvent(QShowEvent *event)
{
    KwWindow::showEvent(event);
    constrainToScreen();
}

void MenuBarAppWindowBase::constrainToScreen()
{
    if (!isVisible() || !screen()) {
        return;
    }
    const QRect constrained = constrainFrameRect(frameGeometry(), screen()->availableGeometry());
    if (constrained != frameGeometry()) {
        move(constrained.topLeft());
    }
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
