#include "kit/ui/CocoaLabel.h"

#include "kit/ui/SecondaryTextStyle.h"

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
    switch (event->type()) {
    case QEvent::ParentChange:
        if (parentWidget()) {
            adjustSize();
        }
        [[fallthrough]];
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        if (!m_applying) {
            applyTextColor();
        }
        break;
    default:
        break;
    }
}

void CocoaLabel::applyTextColor()
{
    // Both states take the active colour, so a disabled label reads as secondary text rather
    // than as the palette's greyed-out disabled text. Derived from the inherited palette each
    // time, so it neither keeps the old theme nor dims twice.
    const QColor text = TextStyle::inheritedPalette(this).color(QPalette::Active, QPalette::WindowText);
    const QColor color = isEnabled() ? text : TextStyle::secondaryColor(text);
    QPalette own = palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        own.setColor(group, QPalette::WindowText, color);
    }
    m_applying = true;
    setPalette(own);
    m_applying = false;
}
