#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>

class QPainter;

// A font as the kit hands it to text: a QFont, and whether its digits are laid
// out at a fixed width (which a QFont of Qt 6.4 cannot say by itself).
class TextFont
{
public:
    // The application's font at the standard size.
    TextFont();
    TextFont(const QFont &font, bool monospacedDigits = false);

    static TextFont system();
    static qreal systemFontSize();

    const QFont &font() const { return m_font; }
    bool hasMonospacedDigits() const { return m_monospacedDigits; }

    // The application's font at this font's size and weight, with digits of
    // fixed width; an unset weight counts as regular.
    TextFont monospacedDigit() const;

    qreal horizontalAdvance(const QString &text) const;
    QFontMetricsF metrics() const { return QFontMetricsF(m_font); }
    // Draws with the painter's pen; `baselineOrigin` is the left end of the baseline.
    void draw(QPainter &painter, const QPointF &baselineOrigin, const QString &text) const;

    friend bool operator==(const TextFont &, const TextFont &) = default;

private:
    QFont m_font;
    bool m_monospacedDigits = false;
};
