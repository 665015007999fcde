#pragma once

#include "kit/foundation/text/TextFont.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;

// Text with the attributes the program sets over a whole string: a font and
// a baseline offset (positive raises the text).
class AttributedString
{
public:
    AttributedString() = default;
    explicit AttributedString(QString string);

    const QString &string() const { return m_string; }

    const std::optional<TextFont> &fontAttribute() const { return m_font; }
    // The font over the whole string, else the application's font at the standard size.
    TextFont font() const;
    AttributedString withFont(const TextFont &font) const;

    qreal baselineOffset() const { return m_baselineOffset; }
    AttributedString withBaselineOffset(qreal offset) const;

    // Advance by height of a line of this text in its font.
    QSizeF size() const;
    // Draws one line with the painter's pen, `topLeft` being the corner of size().
    void draw(QPainter &painter, const QPointF &topLeft) const;

    friend bool operator==(const AttributedString &, const AttributedString &) = default;

private:
    QString m_string;
    std::optional<TextFont> m_font;
    qreal m_baselineOffset = 0;
};
