#include "platform/desktop/StatusButtonTitle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <utility>

PlainStatusButtonTitle::PlainStatusButtonTitle(QString text, QFont font)
    : m_text(std::move(text))
    , m_font(std::move(font))
{ }

QSizeF PlainStatusButtonTitle::size() const
{
    const QFontMetricsF metrics(m_font);
    return { metrics.horizontalAdvance(m_text), metrics.height() };
}

void PlainStatusButtonTitle::draw(QPainter &painter, const QPointF &topLeft) const
{
    painter.save();
    painter.setFont(m_font);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(m_font).ascent()), m_text);
    painter.restore();
}
