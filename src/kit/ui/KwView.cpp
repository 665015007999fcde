#include "kit/ui/KwView.h"

#include <QEvent>

KwView::KwView(QWidget *parent)
    : QWidget(parent)
{
    // The move into `parent` happened while only QWidget was built, out of reach of event(); it
    // is told on the next turn, once the owner has had the chance to subscribe.
    if (parent) {
        m_didMoveToSuperviewWasCalled = true;
        QMetaObject::invokeMethod(
            this, [this] { m_didMoveToSuperviewSubject.send(); }, Qt::QueuedConnection);
    }
}

bool KwView::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && !m_didMoveToSuperviewWasCalled) {
        m_didMoveToSuperviewWasCalled = true;
        m_didMoveToSuperviewSubject.send();
    } else if (event->type() == QEvent::Show && !m_didMoveToWindowWasCalled) {
        m_didMoveToWindowWasCalled = true;
        m_didAppearSubject.send();
    }
    return handled;
}
