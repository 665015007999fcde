#pragma once

#include "kit/foundation/time/Duration.h"

#include <QString>

struct TimeFormat
{
    bool showsHours = true;
    bool showsSeconds = true;
    // When set, hours appear exactly from one hour on, whatever showsHours says.
    bool showsHoursOnlyWhenNeeded = false;
};

// Clock text of a number of seconds, whole seconds truncated: "mm:ss",
// "hh:mm:ss", "hh:mm" or "mm", two digits at least per field (hours grow past
// 99). A negative span is the clock text of its size after a minus sign; NaN
// reads as zero and infinities as the longest representable span.
QString timeFormatted(TimeInterval seconds, TimeFormat format = {});
