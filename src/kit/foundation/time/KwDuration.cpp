#include "kit/foundation/time/KwDuration.h"

#include "kit/foundation/errors/ProgrammingError.h"
#include "kit/foundation/values/SaturatingInt64.h"

#include <QHashFunctions>

#include <array>
#include <cmath>
#include <limits>

namespace {

struct UnitFactor
{
    KwDuration::Unit unit;
    double seconds;
};

constexpr std::array<UnitFactor, 8> unitFactors { {
    { KwDuration::Unit::nanoseconds, 1e-9 },
    { KwDuration::Unit::microseconds, 1e-6 },
    { KwDuration::Unit::milliseconds, 0.001 },
    { KwDuration::Unit::seconds, 1 },
    { KwDuration::Unit::minutes, 60 },
    { KwDuration::Unit::hours, 3600 },
    { KwDuration::Unit::days, 86400 },
    { KwDuration::Unit::weeks, 604800 },
} };

} // namespace

double KwDuration::factor(Unit unit)
{
    return unitFactors.at(static_cast<std::size_t>(unit)).seconds;
}

std::optional<KwDuration::Unit> KwDuration::unitFromSeconds(double secondsPerUnit)
{
    for (const auto &entry : unitFactors) {
        if (entry.seconds == secondsPerUnit) {
            return entry.unit;
        }
    }
    return std::nullopt;
}

KwDuration::KwDuration(double value, Unit unit)
    : m_seconds(value * factor(unit))
{ }

KwDuration::KwDuration(DispatchTimeInterval interval)
{
    const auto count = static_cast<double>(interval.count());
    switch (interval.kind()) {
    case DispatchTimeInterval::Kind::seconds:
        m_seconds = count;
        break;
    case DispatchTimeInterval::Kind::milliseconds:
        m_seconds = count * 0.001;
        break;
    case DispatchTimeInterval::Kind::microseconds:
        m_seconds = count * 1e-6;
        break;
    case DispatchTimeInterval::Kind::nanoseconds:
        m_seconds = count * 1e-9;
        break;
    case DispatchTimeInterval::Kind::never:
        m_seconds = std::numeric_limits<double>::infinity();
        break;
    }
}

double KwDuration::in(Unit unit) const
{
    return m_seconds / factor(unit);
}

DispatchTimeInterval KwDuration::toDispatchTimeInterval() const
{
    if (m_seconds == std::numeric_limits<double>::infinity()) {
        return DispatchTimeInterval::never();
    }
    return DispatchTimeInterval::nanoseconds(SaturatingInt64::fromDoubleTruncating(m_seconds / 1e-9));
}

std::optional<KwDuration> KwDuration::fromJson(const QJsonValue &value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    return fromTimeInterval(value.toDouble());
}

KwDuration KwDuration::random(KwDuration lower, KwDuration upper)
{
    static thread_local std::mt19937_64 generator { std::random_device {}() };
    return random(lower, upper, generator);
}

Duration randomDuration(Duration lower, Duration upper)
{
    return toDuration(KwDuration::random(KwDuration::fromTimeInterval(toTimeInterval(lower)),
        KwDuration::fromTimeInterval(toTimeInterval(upper)))
                          .seconds());
}

void KwDuration::checkRandomBounds(KwDuration lower, KwDuration upper)
{
    if (!std::isfinite(lower.m_seconds) || !std::isfinite(upper.m_seconds)
        || lower.m_seconds > upper.m_seconds) {
        stopForProgrammingError(QStringLiteral("Random duration needs finite, ordered bounds, got %1 and %2")
                                    .arg(lower.m_seconds)
                                    .arg(upper.m_seconds));
    }
}

size_t qHash(KwDuration duration, size_t seed) noexcept
{
    // Adding 0.0 turns -0 into +0.
    return qHash(duration.seconds() + 0.0, seed);
}
