#include "kit/foundation/text/MonospacedDigitLayout.h"

#include <QPainter>

#include <algorithm>

namespace {

bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

} // namespace

MonospacedDigitLayout::MonospacedDigitLayout(const QFont &font)
    : m_font(font)
    , m_metrics(font)
{
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        m_digitCellWidth = std::max(m_digitCellWidth, m_metrics.horizontalAdvance(QChar(digit)));
    }
}

// Calls visit(run, x, isDigitCell) for each digit and each stretch of other
// text, left to right; returns the total advance. Other text is measured as a
// whole so that its kerning and shaping stay intact.
template<typename Visit>
qreal MonospacedDigitLayout::walkRuns(const QString &text, Visit &&visit) const
{
    qreal x = 0;
    qsizetype index = 0;
    while (index < text.size()) {
        if (isDigit(text[index])) {
            visit(text.mid(index, 1), x, true);
            x += m_digitCellWidth;
            ++index;
            continue;
        }
        const auto end = std::find_if(text.begin() + index, text.end(), isDigit) - text.begin();
        const QString run = text.mid(index, end - index);
        visit(run, x, false);
        x += m_metrics.horizontalAdvance(run);
        index = end;
    }
    return x;
}

qreal MonospacedDigitLayout::horizontalAdvance(const QString &text) const
{
    return walkRuns(text, [](const QString &, qreal, bool) {});
}

void MonospacedDigitLayout::draw(QPainter &painter, const QPointF &baselineOrigin, const QString &text) const
{
    painter.save();
    painter.setFont(m_font);
    walkRuns(text, [&](const QString &run, qreal x, bool digitCell) {
        const qreal inset = digitCell ? (m_digitCellWidth - m_metrics.horizontalAdvance(run)) / 2 : 0;
        painter.drawText(QPointF(baselineOrigin.x() + x + inset, baselineOrigin.y()), run);
    });
    painter.restore();
}
