#pragma once

#include <QColor>
#include <QPainterPath>

#include <optional>

class QPainter;

// A progress outline: a path stroked from its start up to `strokeEnd` (0…1) of its length, with an
// optional fill under it. The paths are laid out in coordinates whose y axis points up, as icon
// drawings use them.
struct ProgressShape
{
    QPainterPath path;
    std::optional<QColor> fillColor;
    QColor strokeColor = Qt::black;
    qreal lineWidth = 1.0;
    Qt::PenCapStyle lineCap = Qt::RoundCap;
    qreal strokeEnd = 0.0;

    // A ring along the soft-cornered rectangle of `rect` (corner radius half its width), run in
    // reverse so that it fills clockwise from the left end of the bottom edge.
    static ProgressShape squircle(const QRectF &rect);
    // A full ring of `radius` around `center` that starts at the top and fills clockwise.
    static ProgressShape circle(qreal radius, const QPointF &center);

    QRectF bounds() const { return path.boundingRect(); }
    void draw(QPainter &painter) const;
};
