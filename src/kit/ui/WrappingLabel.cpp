#include "kit/ui/WrappingLabel.h"

#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// Room for a few characters: narrower, the label would show a column of single letters.
constexpr int minimumCharacters = 8;
// Wide enough for any one line a label shows.
constexpr qreal unlimited = 1e6;

QSize ceiled(const QSizeF &size)
{
    return { static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())) };
}

} // namespace

WrappingLabel::WrappingLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    // The size policy's height-for-width, as a wrapping QLabel has it.
    setWordWrap(true);
}

QSizeF WrappingLabel::layOut(QTextLayout &layout, qreal width) const
{
    QString text = this->text();
    text.replace(u'\n', QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font());
    QTextOption option(QStyle::visualAlignment(layoutDirection(), alignment()) & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    qreal widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return { widest, height };
}

QSize WrappingLabel::chrome() const
{
    return size() - contentsRect().size() + QSize(2 * margin(), 2 * margin());
}

int WrappingLabel::heightForWidth(int width) const
{
    QTextLayout layout;
    return ceiled(layOut(layout, std::max(1, width - chrome().width()))).height() + chrome().height();
}

QSize WrappingLabel::sizeHint() const
{
    QTextLayout layout;
    return ceiled(layOut(layout, unlimited)) + chrome();
}

QSize WrappingLabel::minimumSizeHint() const
{
    const int width = std::min(sizeHint().width(), fontMetrics().averageCharWidth() * minimumCharacters);
    return { width, heightForWidth(width) };
}

void WrappingLabel::paintEvent(QPaintEvent *)
{
    const QRect text = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    QTextLayout layout;
    layOut(layout, std::max(1, text.width()));
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, text.topLeft());
}
