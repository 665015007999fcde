#pragma once

#include "kit/foundation/time/Duration.h"

#include <functional>
#include <optional>

class QWidget;

// Shows (true) or hides (false) the widget with a fade; none toggles it: a hidden
// widget is shown, a visible one hidden. A positive delay is waited first. A hidden
// widget ends hidden at full opacity, ready to be shown again. The fade runs whatever
// the reduced-motion setting says; `completion` runs when it is over, unless the
// widget was destroyed first.
void fadeVisibility(QWidget *widget, std::optional<bool> visible, Duration duration,
    Duration delay = Duration::zero(), std::function<void()> completion = {});
