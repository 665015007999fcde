#include "kit/ui/UserInteractionPausableWindow.h"

#include <QMouseEvent>
#include <QWindow>

bool UserInteractionPausableWindow::isUserInteraction(const QEvent &event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::ContextMenu:
        return true;
    case QEvent::MouseMove:
        // A drag; plain pointer movement is not an interaction.
        return static_cast<const QMouseEvent &>(event).buttons() != Qt::NoButton;
    default:
        return false;
    }
}

bool UserInteractionPausableWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) {
        watchPlatformWindow();
    }
    return KwWindow::event(event);
}

// Input reaches the platform window before any widget inside it, so one filter
// there covers the whole window.
void UserInteractionPausableWindow::watchPlatformWindow()
{
    if (!m_watching && windowHandle()) {
        windowHandle()->installEventFilter(this);
        m_watching = true;
    }
}

bool UserInteractionPausableWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_userInteractionEnabled && isUserInteraction(*event)) {
        return true;
    }
    return KwWindow::eventFilter(watched, event);
}
