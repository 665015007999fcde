#pragma once

#include "kit/foundation/text/AttributedString.h"

#include <QColor>
#include <QIcon>

// How the status button looks while a recording runs.
namespace StatusButtonStyle {

// The elapsed time as the button's title: "mm:ss", from one hour "hh:mm:ss",
// in digits of fixed width so the title keeps its width while it counts; on a
// double-density screen lowered by half a point to sit on the panel's baseline.
AttributedString elapsedTimeTitle(double seconds, qreal backingScaleFactor);

// Each of hue, saturation, brightness and alpha multiplied by (1 + its amount),
// kept within 0…1.
QColor adjusting(const QColor &color, qreal hue, qreal saturation, qreal brightness, qreal alpha);

// Red while recording, yellow while paused, darkened, and shifted towards a
// brighter, redder tone as the input level (0…1) rises.
QColor recordingTint(bool paused, double level);

// The icon's shape in one colour; no longer a template.
QIcon tinted(const QIcon &icon, const QColor &color);

// The icon with `left` points of empty room at its left; a template stays one.
QIcon paddedLeft(const QIcon &icon, qreal left);

// The size the icon is drawn at by default.
QSize naturalSize(const QIcon &icon);

} // namespace StatusButtonStyle
