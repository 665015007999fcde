#include "kit/ui/AppearOnScreenView.h"

AppearOnScreenView::AppearOnScreenView(QWidget *parent)
    : QWidget(parent)
{ }

void AppearOnScreenView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (isOnScreen) {
        isOnScreen->setValue(true);
    }
    if (onViewDidAppear) {
        onViewDidAppear();
    }
}

void AppearOnScreenView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (isOnScreen) {
        isOnScreen->setValue(false);
    }
    if (onViewDidDisappear) {
        onViewDidDisappear();
    }
}
