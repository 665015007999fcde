#include "kit/foundation/text/ByteCountText.h"

#include <array>
#include <cmath>

namespace {

using Unit = ByteCountFormatStyle::Unit;

struct UnitText
{
    Unit unit;
    const char *symbol;
    int fractionDigits;
};

// Index n stands for base^n bytes.
constexpr std::array<UnitText, 7> units { {
    { Unit::bytes, "bytes", 0 },
    { Unit::kb, "KB", 0 },
    { Unit::mb, "MB", 1 },
    { Unit::gb, "GB", 2 },
    { Unit::tb, "TB", 2 },
    { Unit::pb, "PB", 2 },
    { Unit::eb, "EB", 2 },
} };

double roundedTo(double value, int fractionDigits)
{
    const double scale = std::pow(10.0, fractionDigits);
    return std::round(value * scale) / scale;
}

QString withoutTrailingFractionZeros(QString number, const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (!number.contains(point)) {
        return number;
    }
    const QString zero = locale.zeroDigit();
    while (number.endsWith(zero)) {
        number.chop(zero.size());
    }
    if (number.endsWith(point)) {
        number.chop(point.size());
    }
    return number;
}

QString exactCountText(std::uint64_t magnitude, const QLocale &locale)
{
    const QString number = locale.toString(static_cast<qulonglong>(magnitude));
    return magnitude == 1 ? QStringLiteral("%1 byte").arg(number) : QStringLiteral("%1 bytes").arg(number);
}

} // namespace

QString ByteCountFormatStyle::format(std::int64_t count) const
{
    const Units allowed = allowedUnits ? allowedUnits : allUnits();
    if (count == 0 && spellsOutZero) {
        for (const auto &entry : units) {
            if (entry.unit != Unit::bytes && allowed.testFlag(entry.unit)) {
                return QStringLiteral("Zero %1").arg(QLatin1String(entry.symbol));
            }
        }
        return QStringLiteral("Zero bytes");
    }

    const auto magnitude = count < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(count)
                                     : static_cast<std::uint64_t>(count);
    const double base = style == Style::memory || style == Style::binary ? 1024 : 1000;

    std::size_t chosen = units.size();
    for (std::size_t index = 0; index < units.size(); ++index) {
        if (!allowed.testFlag(units[index].unit)) {
            continue;
        }
        if (chosen == units.size() || static_cast<double>(magnitude) >= std::pow(base, double(index))) {
            chosen = index;
        }
    }
    double shown = roundedTo(
        static_cast<double>(magnitude) / std::pow(base, double(chosen)), units[chosen].fractionDigits);
    for (std::size_t next = chosen + 1; shown >= base && next < units.size(); ++next) {
        if (allowed.testFlag(units[next].unit)) {
            chosen = next;
            shown = roundedTo(static_cast<double>(magnitude) / std::pow(base, double(chosen)),
                units[chosen].fractionDigits);
        }
    }

    QString text;
    if (units[chosen].unit == Unit::bytes) {
        text = exactCountText(magnitude, locale);
    } else {
        const QString number = locale.toString(shown, 'f', units[chosen].fractionDigits);
        text = QStringLiteral("%1 %2").arg(
            withoutTrailingFractionZeros(number, locale), QLatin1String(units[chosen].symbol));
        if (includesActualByteCount) {
            text += QStringLiteral(" (%1)").arg(exactCountText(magnitude, locale));
        }
    }
    return count < 0 ? locale.negativeSign() + text : text;
}

QString byteCountFileText(std::int64_t count, const QLocale &locale)
{
    ByteCountFormatStyle style;
    style.locale = locale;
    return style.format(count);
}
