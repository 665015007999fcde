#pragma once

#include <QColor>
#include <QIcon>

#include <optional>

// A filled circle of `size` points, drawn at whatever resolution it is shown:
// the oval is inset by `borderWidth` and, when the width is above 0 and a border
// colour is given, stroked in that colour at that width (centred on the edge).
QIcon circleImage(
    const QColor &color, qreal size, qreal borderWidth = 0, std::optional<QColor> borderColor = std::nullopt);

// Draws that circle into `rect`; the icon above draws through it.
void drawCircle(QPainter &painter, const QRectF &rect, const QColor &color, qreal borderWidth,
    const std::optional<QColor> &borderColor);
