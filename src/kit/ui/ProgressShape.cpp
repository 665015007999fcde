#include "kit/ui/ProgressShape.h"

#include "kit/ui/PainterPaths.h"

#include <QPainter>

ProgressShape ProgressShape::squircle(const QRectF &rect)
{
    ProgressShape shape;
    shape.path = PainterPaths::squircle(rect, rect.width() * 0.5).toReversed();
    return shape;
}

ProgressShape ProgressShape::circle(qreal radius, const QPointF &center)
{
    // Qt's arc angles count towards negative y, so with the y axis pointing up -90° is the top
    // and a positive sweep runs clockwise.
    const QRectF box(center.x() - radius, center.y() - radius, radius * 2, radius * 2);
    ProgressShape shape;
    shape.path.arcMoveTo(box, -90);
    shape.path.arcTo(box, -90, 360);
    return shape;
}

void ProgressShape::draw(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (fillColor) {
        painter.fillPath(path, *fillColor);
    }
    if (strokeEnd > 0 && lineWidth > 0) {
        QPen pen(strokeColor, lineWidth);
        pen.setCapStyle(lineCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(PainterPaths::trimmed(path, strokeEnd), pen);
    }
    painter.restore();
}
