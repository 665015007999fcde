#include "kit/ui/LayoutShortcuts.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

class EdgePin : public QObject
{
public:
    EdgePin(QWidget *widget, QWidget *view, const QMargins &insets)
        : QObject(widget)
        , m_widget(widget)
        , m_view(view)
        , m_insets(insets)
    {
        setObjectName(QStringLiteral("kwEdgePin"));
        view->installEventFilter(this);
        apply();
    }

    ~EdgePin() override
    {
        if (m_view) {
            m_view->removeEventFilter(this);
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view
            && (event->type() == QEvent::Resize || event->type() == QEvent::Move
                || event->type() == QEvent::Show)) {
            apply();
        }
        return false;
    }

private:
    void apply()
    {
        if (!m_view) {
            return;
        }
        QRect target;
        QWidget *parent = m_widget->parentWidget();
        if (m_view == parent) {
            target = m_view->rect();
        } else if (m_view->parentWidget() == parent) {
            target = m_view->geometry();
        } else {
            const QPoint global = m_view->mapToGlobal(QPoint(0, 0));
            target = QRect(parent ? parent->mapFromGlobal(global) : global, m_view->size());
        }
        m_widget->setGeometry(target.marginsRemoved(m_insets));
    }

    QWidget *m_widget;
    QPointer<QWidget> m_view;
    QMargins m_insets;
};

} // namespace

namespace LayoutShortcuts {

void constrainEdges(QWidget *widget, QWidget *view, const QMargins &insets)
{
    delete widget->findChild<EdgePin *>(QStringLiteral("kwEdgePin"), Qt::FindDirectChildrenOnly);
    new EdgePin(widget, view, insets);
}

void constrainSize(QWidget *widget, const QSize &size)
{
    widget->setFixedSize(size);
}

QRectF centeredFrame(const QRectF &frame, const QPointF &center)
{
    return QRectF(center - QPointF(frame.width() * 0.5, frame.height() * 0.5), frame.size());
}

} // namespace LayoutShortcuts
