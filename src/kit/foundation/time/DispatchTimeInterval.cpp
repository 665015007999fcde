#include "kit/foundation/time/DispatchTimeInterval.h"

#include "kit/foundation/values/SaturatingInt64.h"

std::int64_t DispatchTimeInterval::nanosecondCount() const
{
    switch (m_kind) {
    case Kind::seconds:
        return SaturatingInt64::multiply(m_count, 1'000'000'000);
    case Kind::milliseconds:
        return SaturatingInt64::multiply(m_count, 1'000'000);
    case Kind::microseconds:
        return SaturatingInt64::multiply(m_count, 1'000);
    case Kind::nanoseconds:
        return m_count;
    case Kind::never:
        break;
    }
    return 0;
}

bool operator<(const DispatchTimeInterval &a, const DispatchTimeInterval &b)
{
    if (a.kind() == DispatchTimeInterval::Kind::never) {
        return false;
    }
    if (b.kind() == DispatchTimeInterval::Kind::never) {
        return true;
    }
    return a.nanosecondCount() < b.nanosecondCount();
}

Duration toDuration(DispatchTimeInterval interval)
{
    if (interval.kind() == DispatchTimeInterval::Kind::never) {
        return Duration::max();
    }
    return Duration(interval.nanosecondCount());
}

DispatchTimeInterval toDispatchTimeInterval(Duration duration)
{
    return DispatchTimeInterval::nanoseconds(duration.count());
}
