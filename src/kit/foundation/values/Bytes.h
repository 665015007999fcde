#pragma once

#include "kit/foundation/text/ByteCountText.h"
#include "kit/foundation/values/InformationStorage.h"

#include <QLocale>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

// A quantity of data in bytes, with decimal units. Arithmetic is exact 64-bit
// integer arithmetic that clamps at the range ends instead of overflowing.
class Bytes
{
public:
    // Each unit's size in bytes.
    enum class Unit { bits, bytes, kilobytes, megabytes, gigabytes };
    static double factor(Unit unit);
    // The unit exactly this many bytes large, if there is one.
    static std::optional<Unit> unitFromBytes(double bytesPerUnit);

    constexpr Bytes() = default;
    constexpr explicit Bytes(std::int64_t count)
        : m_bytes(count)
    { }

    // Counts above the signed range clamp to its top.
    static Bytes bytes(std::uint64_t count);
    // Scaled and truncated toward zero; NaN is zero bytes.
    static Bytes kilobytes(double value);
    static Bytes megabytes(double value);
    static Bytes gigabytes(double value);
    static constexpr Bytes zero() { return Bytes(); }

    constexpr std::int64_t count() const { return m_bytes; }
    double in(Unit unit) const;

    // The count in the file style followed by the exact count, for logs:
    // "1.2 MB (1234567)".
    QString debugDescription(const QLocale &locale = QLocale()) const;
    QString formatted(const ByteCountFormatStyle &style = {}) const { return style.format(m_bytes); }

    InformationStorage toMeasurement() const;
    // The amount in bytes, truncated toward zero; beyond the signed range it clamps.
    static Bytes fromMeasurement(const InformationStorage &measurement);

    friend Bytes operator+(Bytes a, Bytes b);
    friend Bytes operator-(Bytes a, Bytes b);
    Bytes &operator+=(Bytes other) { return *this = *this + other; }
    Bytes &operator-=(Bytes other) { return *this = *this - other; }

    friend constexpr bool operator==(Bytes, Bytes) = default;
    friend constexpr std::strong_ordering operator<=>(Bytes, Bytes) = default;

private:
    std::int64_t m_bytes = 0;
};

size_t qHash(Bytes bytes, size_t seed = 0) noexcept;
