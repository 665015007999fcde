#include "kit/ui/ExpansionTextField.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// The line edit keeps this much room on either side of its text, inside the contents rectangle.
constexpr int textSideMargin = 2;
} // namespace

ExpansionTextField::ExpansionTextField(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &ExpansionTextField::updateToolTip);
}

bool ExpansionTextField::isTextCut() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents
        = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    // The line edit starts to scroll its text once the text needs more than that room, less one pixel.
    return fontMetrics().horizontalAdvance(displayText()) + 1 > contents.width() - 2 * textSideMargin;
}

void ExpansionTextField::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    updateToolTip();
}

void ExpansionTextField::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateToolTip();
    }
}

void ExpansionTextField::updateToolTip()
{
    setToolTip(isTextCut() ? text() : QString());
}
