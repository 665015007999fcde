#include "kit/ui/FontHelpers.h"

QFont boldFont(const QFont &font)
{
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    bold.setStyle(QFont::StyleNormal);
    return bold;
}

TextFont boldFont(const TextFont &font)
{
    return TextFont(boldFont(font.font()), font.hasMonospacedDigits());
}
