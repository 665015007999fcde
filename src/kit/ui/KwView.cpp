#include "kit/ui/KwView.h"

#include <QEvent>

KwView::KwView(QWidget *parent)
    : QWidget(parent)
{ }

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
