#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <cmath>
#include <concepts>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Encoding and decoding values as JSON, the program's stand-in for Codable. A type is JSON-codable
// when JsonCoding<T> is defined for it: encode gives its JSON value and may throw
// JsonEncodingError; decode gives the value, or none when the JSON does not describe one. A type
// can instead have the members `QJsonValue toJson() const` and
// `static std::optional<T> fromJson(const QJsonValue &)`.
class JsonEncodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

template<class T>
struct JsonCoding;

template<class T>
requires requires(const T &value, const QJsonValue &json)
{
    {
        value.toJson()
        } -> std::convertible_to<QJsonValue>;
    {
        T::fromJson(json)
        } -> std::same_as<std::optional<T>>;
}
struct JsonCoding<T>
{
    static QJsonValue encode(const T &value) { return value.toJson(); }
    static std::optional<T> decode(const QJsonValue &json) { return T::fromJson(json); }
};

template<class T>
concept JsonCodable = requires(const T &value, const QJsonValue &json)
{
    {
        JsonCoding<T>::encode(value)
        } -> std::same_as<QJsonValue>;
    {
        JsonCoding<T>::decode(json)
        } -> std::same_as<std::optional<T>>;
};

namespace JsonCodingDetail {
// The integer a JSON number holds exactly, within the 64-bit range.
std::optional<std::int64_t> exactInteger(const QJsonValue &json);
std::optional<std::uint64_t> exactUnsigned(const QJsonValue &json);
[[noreturn]] void throwNonFinite(double value);
} // namespace JsonCodingDetail

template<>
struct JsonCoding<bool>
{
    static QJsonValue encode(bool value) { return value; }
    static std::optional<bool> decode(const QJsonValue &json)
    {
        return json.isBool() ? std::optional<bool>(json.toBool()) : std::nullopt;
    }
};

template<std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char>) struct JsonCoding<T>
{
    static QJsonValue encode(T value)
    {
        if (!std::in_range<qint64>(value)) {
            throw JsonEncodingError("Unable to encode " + std::to_string(value)
                + " in JSON: beyond the integer range of JSON numbers.");
        }
        return QJsonValue(static_cast<qint64>(value));
    }
    static std::optional<T> decode(const QJsonValue &json)
    {
        if constexpr (std::is_signed_v<T>) {
            const std::optional<std::int64_t> number = JsonCodingDetail::exactInteger(json);
            if (number && std::in_range<T>(*number)) {
                return static_cast<T>(*number);
            }
        } else {
            const std::optional<std::uint64_t> number = JsonCodingDetail::exactUnsigned(json);
            if (number && std::in_range<T>(*number)) {
                return static_cast<T>(*number);
            }
        }
        return std::nullopt;
    }
};

template<std::floating_point T>
struct JsonCoding<T>
{
    static QJsonValue encode(T value)
    {
        if (!std::isfinite(value)) {
            JsonCodingDetail::throwNonFinite(static_cast<double>(value));
        }
        return QJsonValue(static_cast<double>(value));
    }
    static std::optional<T> decode(const QJsonValue &json)
    {
        return json.isDouble() ? std::optional<T>(static_cast<T>(json.toDouble())) : std::nullopt;
    }
};

template<>
struct JsonCoding<QString>
{
    static QJsonValue encode(const QString &value) { return value; }
    static std::optional<QString> decode(const QJsonValue &json)
    {
        return json.isString() ? std::optional<QString>(json.toString()) : std::nullopt;
    }
};

template<>
struct JsonCoding<std::string>
{
    static QJsonValue encode(const std::string &value) { return QString::fromStdString(value); }
    static std::optional<std::string> decode(const QJsonValue &json)
    {
        return json.isString() ? std::optional<std::string>(json.toString().toStdString()) : std::nullopt;
    }
};

// Data is base64 text.
template<>
struct JsonCoding<QByteArray>
{
    static QJsonValue encode(const QByteArray &value);
    static std::optional<QByteArray> decode(const QJsonValue &json);
};

// A span of time is its whole number of nanoseconds.
template<>
struct JsonCoding<std::chrono::nanoseconds>
{
    static QJsonValue encode(std::chrono::nanoseconds value);
    static std::optional<std::chrono::nanoseconds> decode(const QJsonValue &json);
};

// A date is its whole number of nanoseconds since the Unix epoch.
template<>
struct JsonCoding<std::chrono::sys_time<std::chrono::nanoseconds>>
{
    static QJsonValue encode(std::chrono::sys_time<std::chrono::nanoseconds> value);
    static std::optional<std::chrono::sys_time<std::chrono::nanoseconds>> decode(const QJsonValue &json);
};

// A URL is its fully encoded text.
template<>
struct JsonCoding<QUrl>
{
    static QJsonValue encode(const QUrl &value);
    static std::optional<QUrl> decode(const QJsonValue &json);
};

// A UUID is its canonical upper-case text.
template<>
struct JsonCoding<QUuid>
{
    static QJsonValue encode(const QUuid &value);
    static std::optional<QUuid> decode(const QJsonValue &json);
};

// None is null.
template<JsonCodable T>
struct JsonCoding<std::optional<T>>
{
    static QJsonValue encode(const std::optional<T> &value)
    {
        return value ? JsonCoding<T>::encode(*value) : QJsonValue(QJsonValue::Null);
    }
    static std::optional<std::optional<T>> decode(const QJsonValue &json)
    {
        if (json.isNull()) {
            return std::optional<T>();
        }
        std::optional<T> value = JsonCoding<T>::decode(json);
        if (!value) {
            return std::nullopt;
        }
        return value;
    }
};

template<JsonCodable T>
struct JsonCoding<std::vector<T>>
{
    static QJsonValue encode(const std::vector<T> &values)
    {
        QJsonArray array;
        for (const T &value : values) {
            array.append(JsonCoding<T>::encode(value));
        }
        return array;
    }
    static std::optional<std::vector<T>> decode(const QJsonValue &json)
    {
        if (!json.isArray()) {
            return std::nullopt;
        }
        std::vector<T> values;
        for (const QJsonValue &element : json.toArray()) {
            std::optional<T> value = JsonCoding<T>::decode(element);
            if (!value) {
                return std::nullopt;
            }
            values.push_back(std::move(*value));
        }
        return values;
    }
};

template<JsonCodable T>
struct JsonCoding<std::set<T>>
{
    static QJsonValue encode(const std::set<T> &values)
    {
        return JsonCoding<std::vector<T>>::encode(std::vector<T>(values.begin(), values.end()));
    }
    static std::optional<std::set<T>> decode(const QJsonValue &json)
    {
        std::optional<std::vector<T>> values = JsonCoding<std::vector<T>>::decode(json);
        if (!values) {
            return std::nullopt;
        }
        return std::set<T>(values->begin(), values->end());
    }
};

template<JsonCodable T, class Compare>
struct JsonCoding<std::map<std::string, T, Compare>>
{
    static QJsonValue encode(const std::map<std::string, T, Compare> &values)
    {
        QJsonObject object;
        for (const auto &[key, value] : values) {
            object.insert(QString::fromStdString(key), JsonCoding<T>::encode(value));
        }
        return object;
    }
    static std::optional<std::map<std::string, T, Compare>> decode(const QJsonValue &json)
    {
        if (!json.isObject()) {
            return std::nullopt;
        }
        std::map<std::string, T, Compare> values;
        const QJsonObject object = json.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            std::optional<T> value = JsonCoding<T>::decode(it.value());
            if (!value) {
                return std::nullopt;
            }
            values.emplace(it.key().toStdString(), std::move(*value));
        }
        return values;
    }
};

namespace JsonCodingDetail {
// The one JSON value of a text that may be a bare fragment ("5", "true", "\"text\"").
std::optional<QJsonValue> parseFragment(QByteArrayView json);
} // namespace JsonCodingDetail

// Decodes one value from JSON text (a top-level fragment such as a bare number is accepted);
// none on any error, printing nothing.
template<JsonCodable T>
std::optional<T> decodeOptional(QByteArrayView json)
{
    const std::optional<QJsonValue> value = JsonCodingDetail::parseFragment(json);
    if (!value) {
        return std::nullopt;
    }
    try {
        return JsonCoding<T>::decode(*value);
    } catch (...) {
        return std::nullopt; // a type's own decoder may throw; that is a decoding error too
    }
}
