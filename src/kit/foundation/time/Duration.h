#pragma once

#include <chrono>
#include <concepts>
#include <cstdint>

// The platform's time span: a whole number of nanoseconds. Spans cross into
// Qt (timers, animations, dates) as seconds or milliseconds, always through
// this count so that every layer agrees on the same instant.
using Duration = std::chrono::nanoseconds;
using TimeInterval = double;

// Seconds of a span, from its whole nanosecond count.
TimeInterval toTimeInterval(Duration duration);

// The span of a number of seconds, rounded to the nearest nanosecond (0.7 s is
// 700'000'000 ns, not one less). Beyond the representable ±292 years it clamps
// to Duration::min()/max(); NaN gives zero.
Duration toDuration(TimeInterval seconds);

// Whole milliseconds, the way Qt's timers and dates count, rounded half away
// from zero.
std::int64_t toMilliseconds(Duration duration);

// Unit constructors for numbers. Integers use 64-bit arithmetic that clamps
// instead of overflowing; floating values go through toDuration().
namespace durations {

namespace detail {
Duration fromCount(std::int64_t count, std::int64_t nanosecondsPerUnit);
}

template<std::integral I>
Duration nanoseconds(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 1);
}

template<std::integral I>
Duration microseconds(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 1'000);
}

template<std::integral I>
Duration milliseconds(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 1'000'000);
}

template<std::integral I>
Duration seconds(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 1'000'000'000);
}

template<std::integral I>
Duration minutes(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 60'000'000'000);
}

template<std::integral I>
Duration hours(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 3'600'000'000'000);
}

template<std::integral I>
Duration days(I value)
{
    return detail::fromCount(static_cast<std::int64_t>(value), 86'400'000'000'000);
}

template<std::floating_point F>
Duration microseconds(F value)
{
    return toDuration(static_cast<double>(value) * 1e-6);
}

template<std::floating_point F>
Duration milliseconds(F value)
{
    return toDuration(static_cast<double>(value) * 1e-3);
}

template<std::floating_point F>
Duration seconds(F value)
{
    return toDuration(static_cast<double>(value));
}

template<std::floating_point F>
Duration minutes(F value)
{
    return toDuration(static_cast<double>(value) * 60);
}

template<std::floating_point F>
Duration hours(F value)
{
    return toDuration(static_cast<double>(value) * 3600);
}

template<std::floating_point F>
Duration days(F value)
{
    return toDuration(static_cast<double>(value) * 86400);
}

} // namespace durations
