#include "kit/foundation/text/AttributedString.h"

#include <utility>

AttributedString::AttributedString(QString string)
    : m_string(std::move(string))
{ }

TextFont AttributedString::font() const
{
    return m_font.value_or(TextFont::system());
}

AttributedString AttributedString::withFont(const TextFont &font) const
{
    AttributedString copy = *this;
    copy.m_font = font;
    return copy;
}

AttributedString AttributedString::withBaselineOffset(qreal offset) const
{
    AttributedString copy = *this;
    copy.m_baselineOffset = offset;
    return copy;
}

QSizeF AttributedString::size() const
{
    const TextFont textFont = font();
    return { textFont.horizontalAdvance(m_string), textFont.metrics().height() };
}

void AttributedString::draw(QPainter &painter, const QPointF &topLeft) const
{
    const TextFont textFont = font();
    const qreal baseline = topLeft.y() + textFont.metrics().ascent() - m_baselineOffset;
    textFont.draw(painter, QPointF(topLeft.x(), baseline), m_string);
}
