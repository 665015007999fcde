#include "kit/ui/CircleImage.h"

#include "kit/ui/DrawnIconEngine.h"

#include <QPainter>

#include <cmath>

void drawCircle(QPainter &painter, const QRectF &rect, const QColor &color, qreal borderWidth,
    const std::optional<QColor> &borderColor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF oval = rect.adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(oval);
    if (borderWidth > 0 && borderColor) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(*borderColor, borderWidth));
        painter.drawEllipse(oval);
    }
    painter.restore();
}

QIcon circleImage(const QColor &color, qreal size, qreal borderWidth, std::optional<QColor> borderColor)
{
    const int extent = qMax(1, static_cast<int>(std::ceil(size)));
    // The drawing is asked for in device pixels; border widths are in points.
    auto draw = [color, size, borderWidth, borderColor](QPainter &painter, const QRectF &rect) {
        const qreal scale = size > 0 ? rect.width() / size : 1.0;
        drawCircle(painter, rect, color, borderWidth * scale, borderColor);
    };
    return QIcon(new DrawnIconEngine(QSize(extent, extent), std::move(draw), false));
}
