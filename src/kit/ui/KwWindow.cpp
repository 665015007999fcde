#include "kit/ui/KwWindow.h"

#include <QCloseEvent>

namespace {
// Room for the content, which sets the real size once it is laid out.
constexpr QSize initialSize(100, 100);
} // namespace

KwWindow::KwWindow(Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
{
    resize(initialSize);
}

void KwWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        windowWillClose();
        emit willClose();
    }
}
