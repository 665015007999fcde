#include "kit/ui/WindowAccessor.h"

#include <QEvent>
#include <QWidget>

WindowAccessor::WindowAccessor(QWidget *content, OnWindow onWindow)
    : QObject(content)
    , m_content(content)
    , m_onWindow(std::move(onWindow))
{
    content->installEventFilter(this);
}

WindowAccessor *WindowAccessor::attach(QWidget *content, OnWindow onWindow)
{
    auto *accessor = new WindowAccessor(content, std::move(onWindow));
    accessor->report();
    return accessor;
}

QWidget *WindowAccessor::hostingWindow(const QWidget *content)
{
    if (!content) {
        return nullptr;
    }
    QWidget *window = content->window();
    return window->windowHandle() != nullptr ? window : nullptr;
}

bool WindowAccessor::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
    case QEvent::WinIdChange:
        if (watched == m_content || watched == m_watchedWindow) {
            report();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowAccessor::report()
{
    QWidget *window = hostingWindow(m_content);
    // The content's own Show does not come when its window is shown again later.
    QWidget *top = m_content ? m_content->window() : nullptr;
    if (top != m_watchedWindow) {
        if (m_watchedWindow && m_watchedWindow != m_content) {
            m_watchedWindow->removeEventFilter(this);
        }
        m_watchedWindow = top;
        if (top && top != m_content) {
            top->installEventFilter(this);
        }
    }
    m_onWindow(window);
}
