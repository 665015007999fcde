#pragma once

#include "kit/foundation/time/Duration.h"

#include <QtGlobal>

class QWidget;

enum class ShakeDirection { horizontal, vertical };

// Shakes the widget along the direction: out by `moveAmount` one way, then the other, then half
// as far each way, and back to where it was, eased in and out over `duration`. A shake already
// running on the widget is ended first. Nothing moves when the user asked for reduced motion.
void shake(QWidget *widget, Duration duration, ShakeDirection direction, qreal moveAmount);
