#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// Draws one line of `text` centred across `rect` and lowered from the top by
// (height − size) / 2 − size / 10, where size is the font's pixel size: text drawn from the top of
// a box sits too high, and this puts it in the optical middle. Too wide a text is cut at its end.
void drawVerticallyCenteredText(
    QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color);
