#include "kit/ui/WindowResizeObserverView.h"

#include <QEvent>
#include <QWindowStateChangeEvent>

WindowResizeObserverView::WindowResizeObserverView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    watchWindow();
}

bool WindowResizeObserverView::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange) {
        watchWindow();
    }
    return QWidget::event(event);
}

void WindowResizeObserverView::watchWindow()
{
    QWidget *window = parentWidget() ? this->window() : nullptr;
    if (window == m_window) {
        return;
    }
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    m_window = window;
    if (m_window) {
        m_window->installEventFilter(this);
    }
}

bool WindowResizeObserverView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && onResize) {
        if (event->type() == QEvent::Resize) {
            onResize();
        } else if (event->type() == QEvent::WindowStateChange && m_window->isFullScreen()
            && !static_cast<QWindowStateChangeEvent *>(event)->oldState().testFlag(Qt::WindowFullScreen)) {
            onResize();
        }
    }
    return false;
}
