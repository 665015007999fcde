#pragma once

#include "kit/foundation/time/Duration.h"

#include <QEasingCurve>

#include <functional>

class QWidget;

namespace WindowShow {

struct Options
{
    bool animated = false;
    bool makeKey = true;
    Duration duration = std::chrono::milliseconds(500);
    Duration delay = Duration::zero();
    QEasingCurve timingFunction = defaultTimingFunction();

    static QEasingCurve defaultTimingFunction();
};

// Brings the window to the front, activated when `makeKey`. Animated, it appears at
// full transparency and fades in after a short settling pause and the delay, at
// once when the user asked for reduced motion. A window destroyed on the way ends
// the show; `done` then never runs.
void show(QWidget *window, const Options &options, std::function<void()> done = {});

// Whether the user asked for reduced motion: the desktop's setting, followed as it changes,
// unless another reader is installed (none puts the desktop's back).
bool reduceMotion();
void setReduceMotion(std::function<bool()> reader);

} // namespace WindowShow
