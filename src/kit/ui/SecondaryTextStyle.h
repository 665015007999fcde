#pragma once

#include <optional>

class QWidget;

namespace TextStyle {

// The standard and the small size of the application's font, in points.
double systemFontSize();
double smallSystemFontSize();

} // namespace TextStyle

// Shows the widget's text in the application's font at `fontSize` points (the
// standard size when none) in the secondary, dimmed text colour of the palette.
// Children that set a font of their own keep it.
void applySecondaryTextStyle(QWidget *widget, std::optional<double> fontSize = std::nullopt);
