#include "kit/foundation/values/JsonCoding.h"

#include <QJsonDocument>
#include <QVariant>

#include <cmath>
#include <limits>

namespace JsonCodingDetail {

std::optional<std::int64_t> exactInteger(const QJsonValue &json)
{
    if (!json.isDouble()) {
        return std::nullopt;
    }
    const QVariant variant = json.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        return variant.toLongLong();
    }
    const double number = json.toDouble();
    // -2^63 is exact as a double, 2^63 is already out of range.
    if (std::isfinite(number) && std::trunc(number) == number && number >= -9223372036854775808.0
        && number < 9223372036854775808.0) {
        return static_cast<std::int64_t>(number);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> exactUnsigned(const QJsonValue &json)
{
    if (const std::optional<std::int64_t> number = exactInteger(json)) {
        if (*number >= 0) {
            return static_cast<std::uint64_t>(*number);
        }
        return std::nullopt;
    }
    const double number = json.isDouble() ? json.toDouble() : -1.0;
    if (std::isfinite(number) && std::trunc(number) == number && number >= 0.0
        && number < 18446744073709551616.0) {
        return static_cast<std::uint64_t>(number);
    }
    return std::nullopt;
}

void throwNonFinite(double value)
{
    const char *name = std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    throw JsonEncodingError(
        std::string("Unable to encode the floating-point value ") + name + " directly in JSON.");
}

std::optional<QJsonValue> parseFragment(QByteArrayView json)
{
    // Qt reads only whole documents, so the fragment goes inside an array of which it must be the
    // one element ("1,2" makes two and is refused).
    QByteArray wrapped;
    wrapped.reserve(json.size() + 2);
    wrapped.append('[').append(json).append(']');
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1) {
        return std::nullopt;
    }
    return document.array().at(0);
}

} // namespace JsonCodingDetail

QJsonValue JsonCoding<QByteArray>::encode(const QByteArray &value)
{
    return QString::fromLatin1(value.toBase64());
}

std::optional<QByteArray> JsonCoding<QByteArray>::decode(const QJsonValue &json)
{
    if (!json.isString()) {
        return std::nullopt;
    }
    auto decoded
        = QByteArray::fromBase64Encoding(json.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return std::nullopt;
    }
    return std::move(*decoded);
}

QJsonValue JsonCoding<std::chrono::nanoseconds>::encode(std::chrono::nanoseconds value)
{
    return QJsonValue(static_cast<qint64>(value.count()));
}

std::optional<std::chrono::nanoseconds> JsonCoding<std::chrono::nanoseconds>::decode(const QJsonValue &json)
{
    if (const std::optional<std::int64_t> count = JsonCodingDetail::exactInteger(json)) {
        return std::chrono::nanoseconds(*count);
    }
    return std::nullopt;
}

QJsonValue JsonCoding<std::chrono::sys_time<std::chrono::nanoseconds>>::encode(
    std::chrono::sys_time<std::chrono::nanoseconds> value)
{
    return QJsonValue(static_cast<qint64>(value.time_since_epoch().count()));
}

std::optional<std::chrono::sys_time<std::chrono::nanoseconds>>
JsonCoding<std::chrono::sys_time<std::chrono::nanoseconds>>::decode(const QJsonValue &json)
{
    if (const std::optional<std::int64_t> count = JsonCodingDetail::exactInteger(json)) {
        return std::chrono::sys_time<std::chrono::nanoseconds>(std::chrono::nanoseconds(*count));
    }
    return std::nullopt;
}

QJsonValue JsonCoding<QUrl>::encode(const QUrl &value)
{
    return QString::fromUtf8(value.toEncoded());
}

std::optional<QUrl> JsonCoding<QUrl>::decode(const QJsonValue &json)
{
    if (!json.isString() || json.toString().isEmpty()) {
        return std::nullopt;
    }
    const QUrl url(json.toString(), QUrl::StrictMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

QJsonValue JsonCoding<QUuid>::encode(const QUuid &value)
{
    return value.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> JsonCoding<QUuid>::decode(const QJsonValue &json)
{
    const QString text = json.toString();
    // Only the canonical 8-4-4-4-12 form; QUuid would also take braces and return the nil UUID
    // for garbage.
    static const auto isHex
        = [](QChar c) { return c.isDigit() || (c.toLower() >= 'a' && c.toLower() <= 'f'); };
    if (!json.isString() || text.size() != 36) {
        return std::nullopt;
    }
    for (int i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != QLatin1Char('-') : !isHex(text[i])) {
            return std::nullopt;
        }
    }
    return QUuid::fromString(text);
}
