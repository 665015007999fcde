#include "kit/ui/CocoaLabel.h"

#include "kit/ui/SecondaryTextStyle.h"

#include <QApplication>
#include <QEvent>

CocoaLabel::CocoaLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    applyTextColor();
    if (parent) {
        adjustSize();
    }
}

void CocoaLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        applyTextColor();
    } else if (event->type() == QEvent::ParentChange && parentWidget()) {
        adjustSize();
    }
}

void CocoaLabel::applyTextColor()
{
    // Both states take the active colours, so a disabled label reads as secondary text rather
    // than as the palette's greyed-out disabled text.
    QPalette palette = QApplication::palette(this);
    const QColor color = isEnabled()
        ? palette.color(QPalette::Active, QPalette::WindowText)
        : TextStyle::secondaryColor(palette.color(QPalette::Active, QPalette::WindowText));
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::WindowText, color);
    }
    setPalette(palette);
}
