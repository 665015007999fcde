#pragma once

#include "kit/foundation/values/JsonCoding.h"
#include "preferences/KeyedArchive.h"
#include "preferences/PropertyCast.h"
#include "preferences/RawRepresentable.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QUuid>

#include <charconv>
#include <concepts>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace Defaults {
class AnySerializable;
}

// Which value types the preferences store keeps, and how. DefaultsSerializableTraits<T> names T's
// bridge (the converter between a value and its stored form) and whether the database keeps T as
// it is. Optionals, vectors, maps, sets, QUrl, QUuid, QColor, Defaults::AnySerializable and the
// database's own scalar types name their bridge here; any other type gets the bridge of the most
// specific default rule it satisfies (DefaultBridgeFor below), and a type that fits two rules of
// which neither includes the other has none and must specialise the traits itself.
template<class T>
struct DefaultsSerializableTraits
{
};

template<class T>
concept DefaultsSerializable = requires
{
    typename DefaultsSerializableTraits<T>::Bridge;
    {
        DefaultsSerializableTraits<T>::isNativelySupportedType
        } -> std::convertible_to<bool>;
};

// A bridge: Value is the typed value, Serializable the stored form (something PropertyCast
// knows). Both operations take and give optionals and never throw.
template<class B>
concept DefaultsBridge = requires(const std::optional<typename B::Value> &value,
    const std::optional<typename B::Serializable> &serializable)
{
    {
        B::serialize(value)
        } -> std::same_as<std::optional<typename B::Serializable>>;
    {
        B::deserialize(serializable)
        } -> std::same_as<std::optional<typename B::Value>>;
}
&&PropertyCastable<typename B::Serializable>;

template<class T>
inline constexpr bool isNativelySupported = false;
template<DefaultsSerializable T>
inline constexpr bool isNativelySupported<T> = DefaultsSerializableTraits<T>::isNativelySupportedType;

// Markers for the default rules: a type that is both raw-representable (or archivable) and
// JSON-codable can say which form it prefers, by specialising these or, where it cannot see this
// header (a type of a lower layer), with a static constexpr bool member of the same name.
template<class T>
inline constexpr bool defaultsPreferRawRepresentable = requires
{
    requires T::defaultsPreferRawRepresentable;
};
template<class T>
inline constexpr bool defaultsPreferNSSecureCoding = requires
{
    requires T::defaultsPreferNSSecureCoding;
};

// Types stored as an array of their elements through their own accessors; opt in by
// specialising the trait with `Element`, `elements(const T &)` and `make(std::vector<Element>)`.
template<class T>
struct DefaultsCollectionAccess;
template<class T>
struct DefaultsSetAlgebraAccess;

namespace Defaults {

template<DefaultsSerializable T>
std::optional<PropertyValue> toSerializable(const T &value);
template<DefaultsSerializable T>
std::optional<T> toValue(const PropertyValue &object);

namespace Detail {

template<class T>
using BridgeOf = typename DefaultsSerializableTraits<T>::Bridge;

template<class T>
struct IsOptional : std::false_type
{
};
template<class T>
struct IsOptional<std::optional<T>> : std::true_type
{
};

// A value as its bridge's Value: an optional unwraps (none gives none), anything else is itself.
template<DefaultsSerializable T>
std::optional<typename BridgeOf<T>::Value> toBridgeValue(const T &value)
{
    if constexpr (IsOptional<T>::value) {
        if (!value) {
            return std::nullopt;
        }
        return toBridgeValue(*value);
    } else {
        return value;
    }
}

template<DefaultsSerializable T>
std::optional<T> fromBridgeValue(std::optional<typename BridgeOf<T>::Value> value)
{
    if (!value) {
        return std::nullopt;
    }
    if constexpr (IsOptional<T>::value) {
        using Wrapped = typename T::value_type;
        std::optional<Wrapped> wrapped = fromBridgeValue<Wrapped>(std::move(value));
        if (!wrapped) {
            return std::nullopt;
        }
        return T(std::move(*wrapped));
    } else {
        return std::move(*value);
    }
}

// The stored forms of elements, with those that give nothing dropped.
template<DefaultsSerializable E, class Range>
std::vector<typename BridgeOf<E>::Serializable> serializeElements(const Range &elements)
{
    std::vector<typename BridgeOf<E>::Serializable> forms;
    for (const E &element : elements) {
        if (auto form = BridgeOf<E>::serialize(toBridgeValue(element))) {
            forms.push_back(std::move(*form));
        }
    }
    return forms;
}

template<DefaultsSerializable E>
std::vector<E> deserializeElements(const std::vector<typename BridgeOf<E>::Serializable> &forms)
{
    std::vector<E> elements;
    for (const auto &form : forms) {
        if (std::optional<E> element = fromBridgeValue<E>(BridgeOf<E>::deserialize(form))) {
            elements.push_back(std::move(*element));
        }
    }
    return elements;
}

// Elements stored as an array: natively when the element type is native, else each through the
// element's bridge (elements that do not convert are dropped).
template<DefaultsSerializable E, class Range>
PropertyValue elementsToArray(const Range &elements)
{
    if constexpr (isNativelySupported<E>) {
        PropertyArray array;
        for (const E &element : elements) {
            if (std::optional<PropertyValue> object = PropertyCast<E>::to(element)) {
                array.push_back(std::move(*object));
            }
        }
        return PropertyValue(std::move(array));
    } else {
        using Form = typename BridgeOf<E>::Serializable;
        return *PropertyCast<std::vector<Form>>::to(serializeElements<E>(elements));
    }
}

template<DefaultsSerializable E>
std::optional<std::vector<E>> elementsFromArray(const PropertyValue &object)
{
    if constexpr (isNativelySupported<E>) {
        return PropertyCast<std::vector<E>>::from(object);
    } else {
        using Form = typename BridgeOf<E>::Serializable;
        std::optional<std::vector<Form>> forms = PropertyCast<std::vector<Form>>::from(object);
        if (!forms) {
            return std::nullopt;
        }
        return deserializeElements<E>(*forms);
    }
}

std::optional<std::string> encodeJsonFragment(const QJsonValue &value);
void printError(const std::string &description);

} // namespace Detail

// The JSON text form: a bare JSON fragment (an array of the one value, without its brackets).
// An encoding error is printed and gives nothing; a decoding error gives nothing silently.
template<JsonCodable T>
struct TopLevelCodableBridge
{
    using Value = T;
    using Serializable = std::string;

    static std::optional<std::string> serialize(const std::optional<T> &value)
    {
        if (!value) {
            return std::nullopt;
        }
        try {
            return Detail::encodeJsonFragment(JsonCoding<T>::encode(*value));
        } catch (const std::exception &error) {
            Detail::printError(error.what());
            return std::nullopt;
        } catch (...) {
            Detail::printError("Unable to encode the value as JSON.");
            return std::nullopt;
        }
    }
    static std::optional<T> deserialize(const std::optional<std::string> &text)
    {
        if (!text) {
            return std::nullopt;
        }
        const std::string wrapped = '[' + *text + ']';
        std::optional<std::vector<T>> values = decodeOptional<std::vector<T>>(QByteArrayView(wrapped));
        if (!values || values->empty()) {
            return std::nullopt;
        }
        return std::move(values->front());
    }
};

template<class T>
struct RawRepresentableCodableBridge : TopLevelCodableBridge<T>
{
};
template<class T>
struct CodableNSSecureCodingBridge : TopLevelCodableBridge<T>
{
};
struct URLBridge : TopLevelCodableBridge<QUrl>
{
};

// The raw value itself is the stored form.
template<RawRepresentable T>
struct RawRepresentableBridge
{
    using Value = T;
    using Serializable = typename RawRepresentation<T>::RawValue;

    static std::optional<Serializable> serialize(const std::optional<T> &value)
    {
        if (!value) {
            return std::nullopt;
        }
        return RawRepresentation<T>::rawValue(*value);
    }
    static std::optional<T> deserialize(const std::optional<Serializable> &raw)
    {
        if (!raw) {
            return std::nullopt;
        }
        return RawRepresentation<T>::fromRawValue(*raw);
    }
};

// An archive is the stored form; a broken archive is printed and gives nothing.
template<SecureCodable T>
struct NSSecureCodingBridge
{
    using Value = T;
    using Serializable = QByteArray;

    static std::optional<QByteArray> serialize(const std::optional<T> &value)
    {
        if (!value) {
            return std::nullopt;
        }
        try {
            return KeyedArchiving<T>::archive(*value);
        } catch (...) {
            return std::nullopt; // archiving errors are silent
        }
    }
    static std::optional<T> deserialize(const std::optional<QByteArray> &data)
    {
        if (!data) {
            return std::nullopt;
        }
        try {
            return KeyedArchiving<T>::unarchive(*data);
        } catch (const std::exception &error) {
            Detail::printError(error.what());
            return std::nullopt;
        } catch (...) {
            Detail::printError("The archive could not be read.");
            return std::nullopt;
        }
    }
};

struct ColorBridge : NSSecureCodingBridge<QColor>
{
};

// The canonical upper-case text; text that is not a UUID reads as nothing.
struct UUIDBridge
{
    using Value = QUuid;
    using Serializable = std::string;

    static std::optional<std::string> serialize(const std::optional<QUuid> &value);
    static std::optional<QUuid> deserialize(const std::optional<std::string> &text);
};

template<DefaultsSerializable Wrapped>
struct OptionalBridge
{
    using Value = typename Detail::BridgeOf<Wrapped>::Value;
    using Serializable = typename Detail::BridgeOf<Wrapped>::Serializable;

    static std::optional<Serializable> serialize(const std::optional<Value> &value)
    {
        return Detail::BridgeOf<Wrapped>::serialize(value);
    }
    static std::optional<Value> deserialize(const std::optional<Serializable> &form)
    {
        return Detail::BridgeOf<Wrapped>::deserialize(form);
    }
};

template<DefaultsSerializable Element>
struct ArrayBridge
{
    using Value = std::vector<Element>;
    using Serializable = std::vector<typename Detail::BridgeOf<Element>::Serializable>;

    static std::optional<Serializable> serialize(const std::optional<Value> &values)
    {
        if (!values) {
            return std::nullopt;
        }
        return Detail::serializeElements<Element>(*values);
    }
    static std::optional<Value> deserialize(const std::optional<Serializable> &forms)
    {
        if (!forms) {
            return std::nullopt;
        }
        return Detail::deserializeElements<Element>(*forms);
    }
};

// Dictionary keys that convert to text and back without loss.
template<class K>
struct LosslessStringConversion;

template<>
struct LosslessStringConversion<std::string>
{
    static std::string toString(const std::string &key) { return key; }
    static std::optional<std::string> fromString(const std::string &text) { return text; }
};

template<class K>
requires(
    std::integral<K> && !std::same_as<K, bool> && !std::same_as<K, char>) struct LosslessStringConversion<K>
{
    static std::string toString(K key) { return std::to_string(key); }
    static std::optional<K> fromString(const std::string &text)
    {
        K key {};
        const auto result = std::from_chars(text.data(), text.data() + text.size(), key);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() || text.empty()) {
            return std::nullopt;
        }
        return key;
    }
};

template<class K>
concept LosslessStringConvertible = requires(const K &key, const std::string &text)
{
    {
        LosslessStringConversion<K>::toString(key)
        } -> std::same_as<std::string>;
    {
        LosslessStringConversion<K>::fromString(text)
        } -> std::same_as<std::optional<K>>;
};

// The stored form is the dictionary object itself, so that reading takes it entry by entry: each
// entry as a value of its own is read (as it is, else through the element's bridge), and one that
// does not convert is left out without spoiling the others.
template<LosslessStringConvertible Key, DefaultsSerializable Element, class Compare = std::less<Key>>
struct DictionaryBridge
{
    using Value = std::map<Key, Element, Compare>;
    using Serializable = PropertyValue;

    static std::optional<PropertyValue> serialize(const std::optional<Value> &values)
    {
        if (!values) {
            return std::nullopt;
        }
        using ElementForm = typename Detail::BridgeOf<Element>::Serializable;
        PropertyDictionary forms;
        for (const auto &[key, element] : *values) {
            const std::string text = LosslessStringConversion<Key>::toString(key);
            std::optional<PropertyValue> object;
            if (auto form = Detail::BridgeOf<Element>::serialize(Detail::toBridgeValue(element))) {
                object = PropertyCast<ElementForm>::to(*form);
            }
            if (object) {
                forms.insert_or_assign(text, std::move(*object));
            } else {
                forms.erase(text);
            }
        }
        return PropertyValue(std::move(forms));
    }
    static std::optional<Value> deserialize(const std::optional<PropertyValue> &object)
    {
        const PropertyDictionary *entries = object ? object->as<PropertyDictionary>() : nullptr;
        if (entries == nullptr) {
            return std::nullopt;
        }
        Value values;
        for (const auto &[text, entry] : *entries) {
            std::optional<Key> key = LosslessStringConversion<Key>::fromString(text);
            if (!key) {
                continue;
            }
            if (std::optional<Element> element = toValue<Element>(entry)) {
                values.insert_or_assign(std::move(*key), std::move(*element));
            }
        }
        return values;
    }
};

// Sets, set-like types and collections are stored as arrays; they differ only in how elements
// are taken out and put back (Access: Element, elements(value), make(std::vector<Element>)).
template<class T, class Access>
struct ArrayStoredBridge
{
    using Value = T;
    using Serializable = PropertyValue;
    using Element = typename Access::Element;

    static std::optional<PropertyValue> serialize(const std::optional<T> &value)
    {
        if (!value) {
            return std::nullopt;
        }
        return Detail::elementsToArray<Element>(Access::elements(*value));
    }
    static std::optional<T> deserialize(const std::optional<PropertyValue> &object)
    {
        if (!object) {
            return std::nullopt;
        }
        std::optional<std::vector<Element>> elements = Detail::elementsFromArray<Element>(*object);
        if (!elements) {
            return std::nullopt;
        }
        return Access::make(std::move(*elements));
    }
};

template<class E, class Compare>
struct StdSetAccess
{
    using Element = E;
    static const std::set<E, Compare> &elements(const std::set<E, Compare> &set) { return set; }
    static std::set<E, Compare> make(std::vector<E> elements)
    {
        return std::set<E, Compare>(
            std::make_move_iterator(elements.begin()), std::make_move_iterator(elements.end()));
    }
};

template<DefaultsSerializable Element, class Compare = std::less<Element>>
struct SetBridge : ArrayStoredBridge<std::set<Element, Compare>, StdSetAccess<Element, Compare>>
{
};
template<class T>
struct SetAlgebraBridge : ArrayStoredBridge<T, DefaultsSetAlgebraAccess<T>>
{
};
template<class T>
struct CollectionBridge : ArrayStoredBridge<T, DefaultsCollectionAccess<T>>
{
};

// Defined with Defaults::AnySerializable.
struct AnyBridge;

} // namespace Defaults

// The default rules, most specific first; C++ constraint subsumption picks the most specific one
// that a type satisfies, and two rules of which neither includes the other are ambiguous.
template<class T>
concept DefaultsPrefersRawValue = RawRepresentable<T> && defaultsPreferRawRepresentable<T>;
template<class T>
concept DefaultsPrefersSecureCoding = SecureCodable<T> && defaultsPreferNSSecureCoding<T>;
template<class T>
concept DefaultsCollectionSerializable = requires
{
    typename DefaultsCollectionAccess<T>::Element;
}
&&DefaultsSerializable<typename DefaultsCollectionAccess<T>::Element>;
template<class T>
concept DefaultsSetAlgebraSerializable = requires
{
    typename DefaultsSetAlgebraAccess<T>::Element;
}
&&DefaultsSerializable<typename DefaultsSetAlgebraAccess<T>::Element>;

template<class T>
struct DefaultBridgeFor
{
};
template<class T>
requires DefaultsPrefersRawValue<T> && JsonCodable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::RawRepresentableBridge<T>;
};
template<class T>
requires DefaultsPrefersSecureCoding<T> && JsonCodable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::NSSecureCodingBridge<T>;
};
template<class T>
requires JsonCodable<T> && RawRepresentable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::RawRepresentableCodableBridge<T>;
};
template<class T>
requires SecureCodable<T> && JsonCodable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::CodableNSSecureCodingBridge<T>;
};
template<class T>
requires JsonCodable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::TopLevelCodableBridge<T>;
};
template<class T>
requires RawRepresentable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::RawRepresentableBridge<T>;
};
template<class T>
requires SecureCodable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::NSSecureCodingBridge<T>;
};
template<class T>
requires DefaultsCollectionSerializable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::CollectionBridge<T>;
};
template<class T>
requires DefaultsSetAlgebraSerializable<T>
struct DefaultBridgeFor<T>
{
    using type = Defaults::SetAlgebraBridge<T>;
};

// Types that name their own bridge do not take a default rule, although some are codable.
template<class T>
inline constexpr bool defaultsNamesOwnBridge = PropertyScalar<T>;
template<class T>
inline constexpr bool defaultsNamesOwnBridge<std::optional<T>> = true;
template<class T>
inline constexpr bool defaultsNamesOwnBridge<std::vector<T>> = true;
template<class K, class V, class C>
inline constexpr bool defaultsNamesOwnBridge<std::map<K, V, C>> = true;
template<class T, class C>
inline constexpr bool defaultsNamesOwnBridge<std::set<T, C>> = true;
template<>
inline constexpr bool defaultsNamesOwnBridge<QUrl> = true;
template<>
inline constexpr bool defaultsNamesOwnBridge<QUuid> = true;
template<>
inline constexpr bool defaultsNamesOwnBridge<QColor> = true;
template<>
inline constexpr bool defaultsNamesOwnBridge<Defaults::AnySerializable> = true;

template<class T>
requires(!defaultsNamesOwnBridge<T>) && requires
{
    typename DefaultBridgeFor<T>::type;
}
struct DefaultsSerializableTraits<T>
{
    using Bridge = typename DefaultBridgeFor<T>::type;
    static constexpr bool isNativelySupportedType = false;
};

// The database's own scalars: stored as they are; the JSON text bridge only reads a stored text.
template<class T>
requires PropertyScalar<T>
struct DefaultsSerializableTraits<T>
{
    using Bridge = Defaults::TopLevelCodableBridge<T>;
    static constexpr bool isNativelySupportedType = true;
};

template<DefaultsSerializable T>
struct DefaultsSerializableTraits<std::optional<T>>
{
    using Bridge = Defaults::OptionalBridge<T>;
    static constexpr bool isNativelySupportedType = isNativelySupported<T>;
};

template<DefaultsSerializable T>
struct DefaultsSerializableTraits<std::vector<T>>
{
    using Bridge = Defaults::ArrayBridge<T>;
    static constexpr bool isNativelySupportedType = isNativelySupported<T>;
};

// Only text-keyed dictionaries can be native: the database's dictionaries have text keys.
template<Defaults::LosslessStringConvertible K, DefaultsSerializable V, class C>
struct DefaultsSerializableTraits<std::map<K, V, C>>
{
    using Bridge = Defaults::DictionaryBridge<K, V, C>;
    static constexpr bool isNativelySupportedType = std::same_as<K, std::string> && isNativelySupported<V>;
};

template<DefaultsSerializable T, class C>
struct DefaultsSerializableTraits<std::set<T, C>>
{
    using Bridge = Defaults::SetBridge<T, C>;
    static constexpr bool isNativelySupportedType = false;
};

template<>
struct DefaultsSerializableTraits<QUrl>
{
    using Bridge = Defaults::URLBridge;
    static constexpr bool isNativelySupportedType = false;
};

template<>
struct DefaultsSerializableTraits<QUuid>
{
    using Bridge = Defaults::UUIDBridge;
    static constexpr bool isNativelySupportedType = false;
};

template<>
struct DefaultsSerializableTraits<QColor>
{
    using Bridge = Defaults::ColorBridge;
    static constexpr bool isNativelySupportedType = false;
};

namespace Defaults {

// Value to stored form: a native value is itself; anything else goes through its bridge.
template<DefaultsSerializable T>
std::optional<PropertyValue> toSerializable(const T &value)
{
    if constexpr (isNativelySupported<T>) {
        return PropertyCast<T>::to(value);
    } else {
        using Bridge = Detail::BridgeOf<T>;
        std::optional<typename Bridge::Serializable> form = Bridge::serialize(Detail::toBridgeValue(value));
        if (!form) {
            return std::nullopt;
        }
        return PropertyCast<typename Bridge::Serializable>::to(*form);
    }
}

// Stored object to value: a native type takes the object when it casts; otherwise the object,
// cast to the bridge's stored form (none when it does not cast), goes through the bridge.
template<DefaultsSerializable T>
std::optional<T> toValue(const PropertyValue &object)
{
    if constexpr (isNativelySupported<T>) {
        if (std::optional<T> value = PropertyCast<T>::from(object)) {
            return value;
        }
    }
    using Bridge = Detail::BridgeOf<T>;
    return Detail::fromBridgeValue<T>(
        Bridge::deserialize(PropertyCast<typename Bridge::Serializable>::from(object)));
}

} // namespace Defaults
