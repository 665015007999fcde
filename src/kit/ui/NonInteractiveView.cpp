#include "kit/ui/NonInteractiveView.h"

#include <QMouseEvent>
#include <QWindow>

namespace {

void moveWindowFrom(QWidget *view, QMouseEvent *event)
{
    QWindow *window = view->window()->windowHandle();
    if (event->button() == Qt::LeftButton && window && window->startSystemMove()) {
        event->accept();
        return;
    }
    event->ignore();
}

} // namespace

NonInteractiveView::NonInteractiveView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void NonInteractiveView::mousePressEvent(QMouseEvent *event)
{
    moveWindowFrom(this, event);
}

NonInteractiveImageView::NonInteractiveImageView(QWidget *parent)
    : QLabel(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void NonInteractiveImageView::mousePressEvent(QMouseEvent *event)
{
    moveWindowFrom(this, event);
}
