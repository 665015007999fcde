#pragma once

#include "kit/collections/DecodableDefault.h"
#include "kit/collections/Either.h"
#include "kit/collections/Identified.h"
#include "kit/collections/Newtype.h"
#include "kit/collections/Tuple.h"
#include "kit/foundation/values/JsonCoding.h"

#include <QJsonObject>
#include <QLatin1StringView>

#include <optional>
#include <stdexcept>
#include <utility>

// The JSON forms of the collection kit's value types: tuples as objects keyed "first", "second",
// "third"; an Either as {"left": {"_0": value}} or {"right": {"_0": value}}; an identified value as
// {"id", "value"}; a typed wrapper and a defaulted value as their plain value.

// A decoding error that says what was wrong, where the plain "none" would lose it.
class JsonDecodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

namespace JsonCodingDetail {

template<JsonCodable T>
std::optional<T> decodeMember(const QJsonObject &object, QLatin1StringView key)
{
    const auto member = object.constFind(key);
    if (member == object.constEnd()) {
        return std::nullopt;
    }
    return JsonCoding<T>::decode(*member);
}

} // namespace JsonCodingDetail

template<JsonCodable A, JsonCodable B>
struct JsonCoding<Tuple2<A, B>>
{
    static QJsonValue encode(const Tuple2<A, B> &tuple)
    {
        return QJsonObject {
            { QStringLiteral("first"), JsonCoding<A>::encode(tuple.first) },
            { QStringLiteral("second"), JsonCoding<B>::encode(tuple.second) },
        };
    }
    static std::optional<Tuple2<A, B>> decode(const QJsonValue &json)
    {
        const QJsonObject object = json.toObject();
        auto first = JsonCodingDetail::decodeMember<A>(object, QLatin1StringView("first"));
        auto second = JsonCodingDetail::decodeMember<B>(object, QLatin1StringView("second"));
        if (!json.isObject() || !first || !second) {
            return std::nullopt;
        }
        return Tuple2<A, B> { std::move(*first), std::move(*second) };
    }
};

template<JsonCodable A, JsonCodable B, JsonCodable C>
struct JsonCoding<Tuple3<A, B, C>>
{
    static QJsonValue encode(const Tuple3<A, B, C> &tuple)
    {
        return QJsonObject {
            { QStringLiteral("first"), JsonCoding<A>::encode(tuple.first) },
            { QStringLiteral("second"), JsonCoding<B>::encode(tuple.second) },
            { QStringLiteral("third"), JsonCoding<C>::encode(tuple.third) },
        };
    }
    static std::optional<Tuple3<A, B, C>> decode(const QJsonValue &json)
    {
        const QJsonObject object = json.toObject();
        auto first = JsonCodingDetail::decodeMember<A>(object, QLatin1StringView("first"));
        auto second = JsonCodingDetail::decodeMember<B>(object, QLatin1StringView("second"));
        auto third = JsonCodingDetail::decodeMember<C>(object, QLatin1StringView("third"));
        if (!json.isObject() || !first || !second || !third) {
            return std::nullopt;
        }
        return Tuple3<A, B, C> { std::move(*first), std::move(*second), std::move(*third) };
    }
};

// Only "left" and "right" count as keys; an object with not exactly one of them is refused with
// a JsonDecodingError, any other fault gives none.
template<JsonCodable Left, JsonCodable Right>
struct JsonCoding<Either<Left, Right>>
{
    static QJsonValue encode(const Either<Left, Right> &either)
    {
        const QJsonValue payload = either.isLeft() ? JsonCoding<Left>::encode(*either.leftValue())
                                                   : JsonCoding<Right>::encode(*either.rightValue());
        return QJsonObject {
            { either.isLeft() ? QStringLiteral("left") : QStringLiteral("right"),
                QJsonObject { { QStringLiteral("_0"), payload } } },
        };
    }
    static std::optional<Either<Left, Right>> decode(const QJsonValue &json)
    {
        if (!json.isObject()) {
            return std::nullopt;
        }
        const QJsonObject object = json.toObject();
        const bool isLeft = object.contains(QLatin1StringView("left"));
        if (isLeft == object.contains(QLatin1StringView("right"))) {
            throw JsonDecodingError("Invalid number of keys found, expected one.");
        }
        const QJsonValue nested
            = object.value(isLeft ? QLatin1StringView("left") : QLatin1StringView("right"));
        if (!nested.isObject()) {
            return std::nullopt;
        }
        const QJsonObject payload = nested.toObject();
        if (isLeft) {
            auto value = JsonCodingDetail::decodeMember<Left>(payload, QLatin1StringView("_0"));
            return value ? std::optional(Either<Left, Right>::left(std::move(*value))) : std::nullopt;
        }
        auto value = JsonCodingDetail::decodeMember<Right>(payload, QLatin1StringView("_0"));
        return value ? std::optional(Either<Left, Right>::right(std::move(*value))) : std::nullopt;
    }
};

template<JsonCodable ID, JsonCodable Value>
struct JsonCoding<Identified<ID, Value>>
{
    static QJsonValue encode(const Identified<ID, Value> &identified)
    {
        return QJsonObject {
            { QStringLiteral("id"), JsonCoding<ID>::encode(identified.id()) },
            { QStringLiteral("value"), JsonCoding<Value>::encode(identified.value()) },
        };
    }
    static std::optional<Identified<ID, Value>> decode(const QJsonValue &json)
    {
        const QJsonObject object = json.toObject();
        auto id = JsonCodingDetail::decodeMember<ID>(object, QLatin1StringView("id"));
        auto value = JsonCodingDetail::decodeMember<Value>(object, QLatin1StringView("value"));
        if (!json.isObject() || !id || !value) {
            return std::nullopt;
        }
        return Identified<ID, Value>(std::move(*value), std::move(*id));
    }
};

template<class T>
requires IsNewtype<T> && JsonCodable<typename T::Raw>
struct JsonCoding<T>
{
    static QJsonValue encode(const T &value) { return JsonCoding<typename T::Raw>::encode(value.rawValue()); }
    static std::optional<T> decode(const QJsonValue &json)
    {
        auto raw = JsonCoding<typename T::Raw>::decode(json);
        return raw ? std::optional<T>(T(std::move(*raw))) : std::nullopt;
    }
};

// A value of the wrong type is a decoding error, not the default.
template<class Source>
requires JsonCodable<typename Source::Value>
struct JsonCoding<DecodableDefault::Wrapper<Source>>
{
    using Wrapper = DecodableDefault::Wrapper<Source>;
    static QJsonValue encode(const Wrapper &wrapper)
    {
        return JsonCoding<typename Source::Value>::encode(wrapper.wrappedValue);
    }
    static std::optional<Wrapper> decode(const QJsonValue &json)
    {
        auto value = JsonCoding<typename Source::Value>::decode(json);
        return value ? std::optional(Wrapper { std::move(*value) }) : std::nullopt;
    }
};

// The member `key` of a decoded object, or the source's default when the object lacks it.
template<class Source>
requires JsonCodable<typename Source::Value> std::optional<DecodableDefault::Wrapper<Source>> decodeDefaulted(
    const QJsonObject &object, QLatin1StringView key)
{
    if (!object.contains(key)) {
        return DecodableDefault::Wrapper<Source> {};
    }
    return JsonCoding<DecodableDefault::Wrapper<Source>>::decode(object.value(key));
}
