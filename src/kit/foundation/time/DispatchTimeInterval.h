#pragma once

#include <compare>
#include <cstdint>

// A delay or interval as a count of one unit, or "never": the form in which
// timers and queues of the platform take intervals.
class DispatchTimeInterval
{
public:
    enum class Kind { seconds, milliseconds, microseconds, nanoseconds, never };

    static constexpr DispatchTimeInterval seconds(std::int64_t count) { return { Kind::seconds, count }; }
    static constexpr DispatchTimeInterval milliseconds(std::int64_t count)
    {
        return { Kind::milliseconds, count };
    }
    static constexpr DispatchTimeInterval microseconds(std::int64_t count)
    {
        return { Kind::microseconds, count };
    }
    static constexpr DispatchTimeInterval nanoseconds(std::int64_t count)
    {
        return { Kind::nanoseconds, count };
    }
    static constexpr DispatchTimeInterval never() { return { Kind::never, 0 }; }

    constexpr Kind kind() const { return m_kind; }
    constexpr std::int64_t count() const { return m_count; }

    // The interval in nanoseconds, clamped to the 64-bit range; `never` counts 0
    // here and is ordered by the comparison operators instead.
    std::int64_t nanosecondCount() const;

    // Same unit and count.
    friend constexpr bool operator==(const DispatchTimeInterval &, const DispatchTimeInterval &) = default;

    // `never` is later than every finite interval and two `never`s are
    // equivalent; finite intervals compare by their nanosecond counts.
    friend bool operator<(const DispatchTimeInterval &a, const DispatchTimeInterval &b);
    friend bool operator>(const DispatchTimeInterval &a, const DispatchTimeInterval &b) { return b < a; }
    friend bool operator<=(const DispatchTimeInterval &a, const DispatchTimeInterval &b) { return !(b < a); }
    friend bool operator>=(const DispatchTimeInterval &a, const DispatchTimeInterval &b) { return !(a < b); }

private:
    constexpr DispatchTimeInterval(Kind kind, std::int64_t count)
        : m_kind(kind)
        , m_count(count)
    { }

    Kind m_kind;
    std::int64_t m_count;
};

#include "kit/foundation/time/Duration.h"

// `never` has no finite span; it becomes the longest one, which is what a
// caller waiting on it expects.
Duration toDuration(DispatchTimeInterval interval);
DispatchTimeInterval toDispatchTimeInterval(Duration duration);
