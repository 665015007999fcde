#include "kit/foundation/time/TimeFormatting.h"

#include "kit/foundation/values/SaturatingInt64.h"

QString timeFormatted(TimeInterval seconds, TimeFormat format)
{
    const std::int64_t whole = SaturatingInt64::fromDoubleTruncating(seconds);
    // The magnitude as unsigned keeps the most negative count representable.
    const auto magnitude = whole < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(whole)
                                     : static_cast<std::uint64_t>(whole);
    const std::uint64_t hours = magnitude / 3600;
    const std::uint64_t minutes = magnitude % 3600 / 60;
    const std::uint64_t secs = magnitude % 60;

    const bool showsHours = format.showsHoursOnlyWhenNeeded ? magnitude >= 3600 : format.showsHours;
    const auto field
        = [](std::uint64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };

    QString text;
    if (showsHours && format.showsSeconds) {
        text = field(hours) + u':' + field(minutes) + u':' + field(secs);
    } else if (showsHours) {
        text = field(hours) + u':' + field(minutes);
    } else if (format.showsSeconds) {
        text = field(minutes) + u':' + field(secs);
    } else {
        text = field(minutes);
    }
    return whole < 0 ? u'-' + text : text;
}
