#include "kit/foundation/values/LocationCoordinate2D.h"

#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

QString doubleDescription(double value)
{
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    // Plain digits from 1e-4 up to 2^53, where every whole number is still exact.
    const double magnitude = std::abs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 9007199254740992.0);
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
        plain ? std::chars_format::fixed : std::chars_format::scientific);
    QString text = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
    if (plain && !text.contains(u'.')) {
        text += QStringLiteral(".0");
    }
    return text;
}

QString LocationCoordinate2D::id() const
{
    return doubleDescription(latitude) + u'-' + doubleDescription(longitude);
}

double LocationCoordinate2D::distance(const LocationCoordinate2D &other) const
{
    constexpr double meanEarthRadius = 6'371'008.8;
    constexpr double radiansPerDegree = std::numbers::pi / 180;
    const double phi1 = latitude * radiansPerDegree;
    const double phi2 = other.latitude * radiansPerDegree;
    const double deltaPhi = (other.latitude - latitude) * radiansPerDegree;
    const double deltaLambda = (other.longitude - longitude) * radiansPerDegree;
    const double a = std::pow(std::sin(deltaPhi / 2), 2)
        + std::cos(phi1) * std::cos(phi2) * std::pow(std::sin(deltaLambda / 2), 2);
    return 2 * meanEarthRadius * std::asin(std::min(1.0, std::sqrt(a)));
}
