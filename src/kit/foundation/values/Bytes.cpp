#include "kit/foundation/values/Bytes.h"

#include "kit/foundation/text/ByteCountText.h"
#include "kit/foundation/values/SaturatingInt64.h"

#include <QHashFunctions>

#include <array>

namespace {

struct UnitFactor
{
    Bytes::Unit unit;
    double bytes;
};

constexpr std::array<UnitFactor, 5> unitFactors { {
    { Bytes::Unit::bits, 0.125 },
    { Bytes::Unit::bytes, 1 },
    { Bytes::Unit::kilobytes, 1000 },
    { Bytes::Unit::megabytes, 1'000'000 },
    { Bytes::Unit::gigabytes, 1'000'000'000 },
} };

} // namespace

double Bytes::factor(Unit unit)
{
    return unitFactors.at(static_cast<std::size_t>(unit)).bytes;
}

std::optional<Bytes::Unit> Bytes::unitFromBytes(double bytesPerUnit)
{
    for (const auto &entry : unitFactors) {
        if (entry.bytes == bytesPerUnit) {
            return entry.unit;
        }
    }
    return std::nullopt;
}

Bytes Bytes::bytes(std::uint64_t count)
{
    return Bytes(count > static_cast<std::uint64_t>(SaturatingInt64::max) ? SaturatingInt64::max
                                                                          : static_cast<std::int64_t>(count));
}

Bytes Bytes::kilobytes(double value)
{
    return Bytes(SaturatingInt64::fromDoubleTruncating(value * 1000));
}

Bytes Bytes::megabytes(double value)
{
    return Bytes(SaturatingInt64::fromDoubleTruncating(value * 1'000'000));
}

Bytes Bytes::gigabytes(double value)
{
    return Bytes(SaturatingInt64::fromDoubleTruncating(value * 1'000'000'000));
}

double Bytes::in(Unit unit) const
{
    return static_cast<double>(m_bytes) / factor(unit);
}

QString Bytes::debugDescription(const QLocale &locale) const
{
    return QStringLiteral("%1 (%2)").arg(byteCountFileText(m_bytes, locale)).arg(m_bytes);
}

InformationStorage Bytes::toMeasurement() const
{
    return InformationStorage(static_cast<double>(m_bytes), InformationStorage::Unit::bytes);
}

Bytes Bytes::fromMeasurement(const InformationStorage &measurement)
{
    return Bytes(SaturatingInt64::fromDoubleTruncating(
        measurement.converted(InformationStorage::Unit::bytes).value()));
}

Bytes operator+(Bytes a, Bytes b)
{
    return Bytes(SaturatingInt64::add(a.count(), b.count()));
}

Bytes operator-(Bytes a, Bytes b)
{
    return Bytes(SaturatingInt64::subtract(a.count(), b.count()));
}

size_t qHash(Bytes bytes, size_t seed) noexcept
{
    return qHash(bytes.count(), seed);
}
