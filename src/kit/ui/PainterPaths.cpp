#include "kit/ui/PainterPaths.h"

#include <QLineF>

#include <algorithm>

namespace PainterPaths {

QPainterPath squircle(const QRectF &rect, qreal cornerRadius)
{
    const qreal r = std::min(cornerRadius, std::min(rect.width(), rect.height()) * 0.5);
    const qreal minX = rect.left();
    const qreal minY = rect.top();
    const qreal maxX = rect.right();
    const qreal maxY = rect.bottom();

    QPainterPath path;
    path.moveTo(minX + r, minY);
    path.lineTo(maxX - r, minY);
    path.cubicTo(QPointF(maxX, minY), QPointF(maxX, minY), QPointF(maxX, minY + r));
    path.lineTo(maxX, maxY - r);
    path.cubicTo(QPointF(maxX, maxY), QPointF(maxX, maxY), QPointF(maxX - r, maxY));
    path.lineTo(minX + r, maxY);
    path.cubicTo(QPointF(minX, maxY), QPointF(minX, maxY), QPointF(minX, maxY - r));
    path.lineTo(minX, minY + r);
    path.cubicTo(QPointF(minX, minY), QPointF(minX, minY), QPointF(minX + r, minY));
    return path;
}

QPainterPath trimmed(const QPainterPath &path, qreal fraction)
{
    if (fraction >= 1.0) {
        return path;
    }
    QPainterPath result;
    if (!(fraction > 0.0)) {
        return result;
    }
    // Curves are flattened first; at icon sizes the polyline is indistinguishable from them.
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    qreal total = 0;
    for (const QPolygonF &polygon : polygons) {
        for (qsizetype i = 1; i < polygon.size(); ++i) {
            total += QLineF(polygon[i - 1], polygon[i]).length();
        }
    }
    qreal remaining = total * fraction;
    for (const QPolygonF &polygon : polygons) {
        if (polygon.isEmpty()) {
            continue;
        }
        result.moveTo(polygon.first());
        for (qsizetype i = 1; i < polygon.size(); ++i) {
            const QLineF segment(polygon[i - 1], polygon[i]);
            if (segment.length() >= remaining) {
                result.lineTo(
                    segment.length() > 0 ? segment.pointAt(remaining / segment.length()) : segment.p2());
                return result;
            }
            remaining -= segment.length();
            result.lineTo(polygon[i]);
        }
    }
    return result;
}

} // namespace PainterPaths
