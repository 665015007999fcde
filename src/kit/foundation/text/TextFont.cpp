#include "kit/foundation/text/TextFont.h"

#include "kit/foundation/text/MonospacedDigitLayout.h"

#include <QGuiApplication>
#include <QPainter>

TextFont::TextFont()
    : m_font(QGuiApplication::font())
{ }

TextFont::TextFont(const QFont &font, bool monospacedDigits)
    : m_font(font)
    , m_monospacedDigits(monospacedDigits)
{ }

TextFont TextFont::system()
{
    return TextFont();
}

qreal TextFont::systemFontSize()
{
    const QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0) {
        return font.pointSizeF();
    }
    // A font sized in pixels: its size in points on the primary screen.
    return QFontInfo(font).pointSizeF();
}

TextFont TextFont::monospacedDigit() const
{
    QFont font = QGuiApplication::font();
    if (m_font.pointSizeF() > 0) {
        font.setPointSizeF(m_font.pointSizeF());
    } else {
        font.setPixelSize(m_font.pixelSize());
    }
    font.setWeight(m_font.weight());
    return TextFont(font, true);
}

qreal TextFont::horizontalAdvance(const QString &text) const
{
    if (m_monospacedDigits) {
        return MonospacedDigitLayout(m_font).horizontalAdvance(text);
    }
    return QFontMetricsF(m_font).horizontalAdvance(text);
}

void TextFont::draw(QPainter &painter, const QPointF &baselineOrigin, const QString &text) const
{
    if (m_monospacedDigits) {
        MonospacedDigitLayout(m_font).draw(painter, baselineOrigin, text);
        return;
    }
    painter.save();
    painter.setFont(m_font);
    painter.drawText(baselineOrigin, text);
    painter.restore();
}
