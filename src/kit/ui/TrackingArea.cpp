#include "kit/ui/TrackingArea.h"

#include <QEnterEvent>
#include <QMouseEvent>

TrackingArea::TrackingArea(QWidget *view, QRect rect)
    : m_view(view)
    , m_rect(rect)
{
    view->setMouseTracking(true);
    view->installEventFilter(this);
}

TrackingArea::~TrackingArea()
{
    if (m_view) {
        m_view->removeEventFilter(this);
    }
}

void TrackingArea::setRect(QRect rect)
{
    m_rect = rect;
}

bool TrackingArea::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        pointerAt(static_cast<QEnterEvent *>(event)->position().toPoint());
        break;
    case QEvent::MouseMove:
        pointerAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    case QEvent::Leave:
        pointerAt(std::nullopt);
        break;
    default:
        break;
    }
    return false;
}

void TrackingArea::pointerAt(std::optional<QPoint> position)
{
    const bool inside = position && m_rect.contains(*position);
    if (inside && !m_inside) {
        m_inside = true;
        emit entered();
    }
    if (inside) {
        emit moved(*position);
    }
    if (!inside && m_inside) {
        m_inside = false;
        emit exited();
    }
}
