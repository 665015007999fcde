#pragma once

#include <optional>

class QColor;
class QPalette;
class QWidget;

namespace TextStyle {

// The standard and the small size of the application's font, in points.
double systemFontSize();
double smallSystemFontSize();

// The secondary, dimmed form of a text colour: the colour at reduced strength, so it follows
// light and dark palettes alike.
QColor secondaryColor(const QColor &color);

// The palette the widget would have without one of its own: its parent's, or the application's
// for a window. Styles derive their colours from it afresh, so they follow light and dark.
QPalette inheritedPalette(const QWidget *widget);

} // namespace TextStyle

// Shows the widget's text in the application's font at `fontSize` points (the
// standard size when none) in the secondary, dimmed text colour of the palette.
// The size follows the user's text size: when the application font changes, it is scaled
// by as much as the standard size changed. The colour follows palette changes (a switch between
// light and dark), and applying the style again does not dim it further. Children that set a
// font of their own keep it.
void applySecondaryTextStyle(QWidget *widget, std::optional<double> fontSize = std::nullopt);
