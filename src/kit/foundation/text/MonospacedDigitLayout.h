#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>

class QPainter;

// Lays out text so that every ASCII digit takes a cell as wide as the font's
// widest digit, the digit centred in it. Qt 6.4 cannot switch a font to
// tabular figures, and a counting clock must not jitter while it ticks.
class MonospacedDigitLayout
{
public:
    explicit MonospacedDigitLayout(const QFont &font);

    const QFont &font() const { return m_font; }
    qreal digitCellWidth() const { return m_digitCellWidth; }
    qreal horizontalAdvance(const QString &text) const;
    // Draws with the painter's pen; `baselineOrigin` is the left end of the baseline.
    void draw(QPainter &painter, const QPointF &baselineOrigin, const QString &text) const;

private:
    template<typename Visit>
    qreal walkRuns(const QString &text, Visit &&visit) const;

    QFont m_font;
    QFontMetricsF m_metrics;
    qreal m_digitCellWidth = 0;
};
