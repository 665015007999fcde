#include "kit/ui/VerticallyCenteredText.h"

#include <QFontMetricsF>
#include <QPainter>

void drawVerticallyCenteredText(
    QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color)
{
    const qreal size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
    const qreal offset = (rect.height() - size) * 0.5 - size / 10;
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.translate(0, offset);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignTop | Qt::AlignHCenter | Qt::TextSingleLine, shown);
    painter.restore();
}
