#pragma once

#include "kit/foundation/time/DispatchTimeInterval.h"
#include "kit/foundation/time/Duration.h"

#include <QJsonValue>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <compare>
#include <concepts>
#include <cstdint>
#include <optional>
#include <random>

// A span of time as seconds in double precision; negative, zero and infinite
// spans are all valid values.
class KwDuration
{
public:
    // Each unit's length in seconds.
    enum class Unit { nanoseconds, microseconds, milliseconds, seconds, minutes, hours, days, weeks };
    static double factor(Unit unit);
    // The unit exactly this many seconds long, if there is one.
    static std::optional<Unit> unitFromSeconds(double secondsPerUnit);

    constexpr KwDuration() = default;
    KwDuration(double value, Unit unit);
    template<std::integral I>
    KwDuration(I value, Unit unit)
        : KwDuration(static_cast<double>(value), unit)
    { }
    // The sum of the given spans.
    template<std::same_as<KwDuration>... Parts>
    explicit KwDuration(Parts... parts)
        : m_seconds((0.0 + ... + parts.seconds()))
    { }
    static constexpr KwDuration fromTimeInterval(TimeInterval seconds)
    {
        return KwDuration(seconds, Seconds {});
    }
    // `never` is an infinite span; counts are taken through doubles.
    explicit KwDuration(DispatchTimeInterval interval);

    static constexpr KwDuration zero() { return KwDuration(); }

    constexpr double seconds() const { return m_seconds; }
    constexpr TimeInterval toTimeInterval() const { return m_seconds; }
    double in(Unit unit) const;

    // Whole nanoseconds, toward zero and clamped to 64 bits; an infinite span
    // becomes `never` (the opposite of the constructor) and NaN zero.
    DispatchTimeInterval toDispatchTimeInterval() const;

    // A single number, the seconds.
    QJsonValue toJson() const { return QJsonValue(m_seconds); }
    static std::optional<KwDuration> fromJson(const QJsonValue &value);

    // Uniform in [lower, upper], both included. The bounds must be finite and
    // ordered; anything else is a programming error and stops the program.
    static KwDuration random(KwDuration lower, KwDuration upper);
    template<std::uniform_random_bit_generator Generator>
    static KwDuration random(KwDuration lower, KwDuration upper, Generator &generator)
    {
        checkRandomBounds(lower, upper);
        std::uniform_real_distribution<double> unit(0.0, std::nextafter(1.0, 2.0));
        return fromTimeInterval(std::lerp(lower.m_seconds, upper.m_seconds, std::min(unit(generator), 1.0)));
    }

    friend constexpr KwDuration operator+(KwDuration a, KwDuration b)
    {
        return fromTimeInterval(a.m_seconds + b.m_seconds);
    }
    friend constexpr KwDuration operator-(KwDuration a, KwDuration b)
    {
        return fromTimeInterval(a.m_seconds - b.m_seconds);
    }
    constexpr KwDuration operator-() const { return fromTimeInterval(-m_seconds); }
    constexpr KwDuration &operator+=(KwDuration other)
    {
        m_seconds += other.m_seconds;
        return *this;
    }
    constexpr KwDuration &operator-=(KwDuration other)
    {
        m_seconds -= other.m_seconds;
        return *this;
    }

    friend constexpr bool operator==(KwDuration, KwDuration) = default;
    friend constexpr std::partial_ordering operator<=>(KwDuration, KwDuration) = default;

private:
    struct Seconds
    {
    };
    constexpr KwDuration(double seconds, Seconds)
        : m_seconds(seconds)
    { }
    static void checkRandomBounds(KwDuration lower, KwDuration upper);

    double m_seconds = 0;
};

// 0 and -0 hash alike, as they compare equal.
size_t qHash(KwDuration duration, size_t seed = 0) noexcept;

// Unit spans of numbers; the `kw_` prefix tells them from the Duration ones.
template<typename T>
concept KwNumber = std::integral<T> || std::floating_point<T>;

template<KwNumber T>
KwDuration kw_nanoseconds(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::nanoseconds);
}
template<KwNumber T>
KwDuration kw_microseconds(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::microseconds);
}
template<KwNumber T>
KwDuration kw_milliseconds(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::milliseconds);
}
template<KwNumber T>
KwDuration kw_seconds(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::seconds);
}
template<KwNumber T>
KwDuration kw_minutes(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::minutes);
}
template<KwNumber T>
KwDuration kw_hours(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::hours);
}
template<KwNumber T>
KwDuration kw_days(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::days);
}
template<KwNumber T>
KwDuration kw_weeks(T value)
{
    return KwDuration(static_cast<double>(value), KwDuration::Unit::weeks);
}

// A span drawn uniformly between two platform spans, both included, to the
// nanosecond; the same bounds rules as KwDuration::random.
Duration randomDuration(Duration lower, Duration upper);
template<std::uniform_random_bit_generator Generator>
Duration randomDuration(Duration lower, Duration upper, Generator &generator)
{
    const auto drawn = KwDuration::random(KwDuration::fromTimeInterval(toTimeInterval(lower)),
        KwDuration::fromTimeInterval(toTimeInterval(upper)), generator);
    return std::clamp(toDuration(drawn.seconds()), lower, upper);
}
