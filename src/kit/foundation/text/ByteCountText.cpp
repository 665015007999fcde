#include "kit/foundation/text/ByteCountText.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace {

struct ScaledUnit
{
    const char *symbol;
    int fractionDigits;
};

constexpr std::array<ScaledUnit, 6> scaledUnits { {
    { "KB", 0 },
    { "MB", 1 },
    { "GB", 2 },
    { "TB", 2 },
    { "PB", 2 },
    { "EB", 2 },
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

QString magnitudeText(std::uint64_t magnitude, const QLocale &locale)
{
    if (magnitude == 1) {
        return QStringLiteral("%1 byte").arg(locale.toString(1));
    }
    if (magnitude < 1000) {
        return QStringLiteral("%1 bytes").arg(locale.toString(static_cast<qulonglong>(magnitude)));
    }
    std::size_t index = 0;
    double value = static_cast<double>(magnitude) / 1000;
    double shown = roundedTo(value, scaledUnits[index].fractionDigits);
    while (shown >= 1000 && index + 1 < scaledUnits.size()) {
        value /= 1000;
        ++index;
        shown = roundedTo(value, scaledUnits[index].fractionDigits);
    }
    const ScaledUnit &unit = scaledUnits[index];
    const QString number = locale.toString(shown, 'f', unit.fractionDigits);
    return QStringLiteral("%1 %2").arg(
        withoutTrailingFractionZeros(number, locale), QLatin1String(unit.symbol));
}

} // namespace

QString byteCountFileText(std::int64_t count, const QLocale &locale)
{
    if (count == 0) {
        return QStringLiteral("Zero KB");
    }
    const auto magnitude = count < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(count)
                                     : static_cast<std::uint64_t>(count);
    const QString text = magnitudeText(magnitude, locale);
    return count < 0 ? locale.negativeSign() + text : text;
}
