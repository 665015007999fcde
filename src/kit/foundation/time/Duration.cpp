#include "kit/foundation/time/Duration.h"

#include "kit/foundation/values/SaturatingInt64.h"

#include <cmath>

TimeInterval toTimeInterval(Duration duration)
{
    return static_cast<double>(duration.count()) / 1e9;
}

Duration toDuration(TimeInterval seconds)
{
    if (std::isnan(seconds)) {
        return Duration::zero();
    }
    // Whole seconds and the fraction are scaled apart: the fraction is exact in
    // a double, so rounding it alone keeps large spans accurate to the nanosecond.
    const double whole = std::trunc(seconds);
    const double fraction = seconds - whole;
    const auto wholeNanoseconds
        = SaturatingInt64::multiply(SaturatingInt64::fromDoubleTruncating(whole), 1'000'000'000);
    const auto fractionNanoseconds
        = static_cast<std::int64_t>(std::isfinite(fraction) ? std::round(fraction * 1e9) : 0);
    return Duration(SaturatingInt64::add(wholeNanoseconds, fractionNanoseconds));
}

std::int64_t toMilliseconds(Duration duration)
{
    const auto whole = duration.count() / 1'000'000;
    const auto rest = duration.count() % 1'000'000;
    if (rest >= 500'000) {
        return whole + 1;
    }
    if (rest <= -500'000) {
        return whole - 1;
    }
    return whole;
}

Duration durations::detail::fromCount(std::int64_t count, std::int64_t nanosecondsPerUnit)
{
    return Duration(SaturatingInt64::multiply(count, nanosecondsPerUnit));
}
