#include "kit/ui/SecondaryTextStyle.h"

#include "kit/foundation/text/TextFont.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace TextStyle {

double systemFontSize()
{
    return TextFont::systemFontSize();
}

double smallSystemFontSize()
{
    // Eleven points beside a standard thirteen, whatever the standard is here.
    return std::round(systemFontSize() * 11.0 / 13.0 * 2) / 2;
}

} // namespace TextStyle

void applySecondaryTextStyle(QWidget *widget, std::optional<double> fontSize)
{
    QFont font = QApplication::font();
    font.setPointSizeF(fontSize.value_or(TextStyle::systemFontSize()));
    widget->setFont(font);

    QPalette palette = widget->palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        // Secondary text is the primary colour at reduced strength, so it follows
        // light and dark palettes alike.
        QColor secondary = palette.color(group, QPalette::WindowText);
        secondary.setAlphaF(secondary.alphaF() * 0.55);
        palette.setColor(group, QPalette::WindowText, secondary);
        QColor text = palette.color(group, QPalette::Text);
        text.setAlphaF(text.alphaF() * 0.55);
        palette.setColor(group, QPalette::Text, text);
    }
    widget->setPalette(palette);
}
