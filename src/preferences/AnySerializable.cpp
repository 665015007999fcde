#include "preferences/AnySerializable.h"

#include "kit/collections/HashCombine.h"

#include <QtGlobal>

#include <bit>
#include <functional>

namespace Defaults {
namespace {

enum class Kind {
    Data,
    Date,
    Bool,
    UInt8,
    Int8,
    UInt16,
    Int16,
    UInt32,
    Int32,
    UInt64,
    Int64,
    Float,
    Double,
    String,
    Dictionary,
    Array,
    None
};
constexpr Kind kindOrder[] = { Kind::Data, Kind::Date, Kind::Bool, Kind::UInt8, Kind::Int8, Kind::UInt16,
    Kind::Int16, Kind::UInt32, Kind::Int32, Kind::UInt64, Kind::Int64, Kind::Float, Kind::Double,
    Kind::String, Kind::Dictionary, Kind::Array };

bool castsTo(const PropertyValue &value, Kind kind)
{
    switch (kind) {
    case Kind::Data:
        return value.kind() == PropertyValue::Kind::Data;
    case Kind::Date:
        return value.kind() == PropertyValue::Kind::Date;
    case Kind::Bool:
        return value.exactNumber<bool>().has_value();
    case Kind::UInt8:
        return value.exactNumber<std::uint8_t>().has_value();
    case Kind::Int8:
        return value.exactNumber<std::int8_t>().has_value();
    case Kind::UInt16:
        return value.exactNumber<std::uint16_t>().has_value();
    case Kind::Int16:
        return value.exactNumber<std::int16_t>().has_value();
    case Kind::UInt32:
        return value.exactNumber<std::uint32_t>().has_value();
    case Kind::Int32:
        return value.exactNumber<std::int32_t>().has_value();
    case Kind::UInt64:
        return value.exactNumber<std::uint64_t>().has_value();
    case Kind::Int64:
        return value.exactNumber<std::int64_t>().has_value();
    case Kind::Float:
        return value.exactNumber<float>().has_value();
    case Kind::Double:
        return value.exactNumber<double>().has_value();
    case Kind::String:
        return value.kind() == PropertyValue::Kind::String;
    case Kind::Dictionary:
        return value.kind() == PropertyValue::Kind::Dictionary;
    case Kind::Array:
        return value.kind() == PropertyValue::Kind::Array;
    case Kind::None:
        return false;
    }
    return false;
}

Kind firstKind(const PropertyValue &value)
{
    for (Kind kind : kindOrder) {
        if (castsTo(value, kind)) {
            return kind;
        }
    }
    return Kind::None;
}

bool equalAs(const PropertyValue &lhs, const PropertyValue &rhs, Kind kind);

bool equalValues(const PropertyValue &lhs, const PropertyValue &rhs)
{
    for (Kind kind : kindOrder) {
        if (castsTo(lhs, kind) && castsTo(rhs, kind)) {
            return equalAs(lhs, rhs, kind);
        }
    }
    return false;
}

template<class T>
bool equalNumbers(const PropertyValue &lhs, const PropertyValue &rhs)
{
    return *lhs.exactNumber<T>() == *rhs.exactNumber<T>();
}

bool equalAs(const PropertyValue &lhs, const PropertyValue &rhs, Kind kind)
{
    switch (kind) {
    case Kind::Data:
        return *lhs.as<QByteArray>() == *rhs.as<QByteArray>();
    case Kind::Date:
        return *lhs.as<PropertyDate>() == *rhs.as<PropertyDate>();
    case Kind::Bool:
        return equalNumbers<bool>(lhs, rhs);
    case Kind::UInt8:
        return equalNumbers<std::uint8_t>(lhs, rhs);
    case Kind::Int8:
        return equalNumbers<std::int8_t>(lhs, rhs);
    case Kind::UInt16:
        return equalNumbers<std::uint16_t>(lhs, rhs);
    case Kind::Int16:
        return equalNumbers<std::int16_t>(lhs, rhs);
    case Kind::UInt32:
        return equalNumbers<std::uint32_t>(lhs, rhs);
    case Kind::Int32:
        return equalNumbers<std::int32_t>(lhs, rhs);
    case Kind::UInt64:
        return equalNumbers<std::uint64_t>(lhs, rhs);
    case Kind::Int64:
        return equalNumbers<std::int64_t>(lhs, rhs);
    case Kind::Float:
        return equalNumbers<float>(lhs, rhs); // a NaN equals nothing
    case Kind::Double:
        return equalNumbers<double>(lhs, rhs);
    case Kind::String:
        return *lhs.as<std::string>() == *rhs.as<std::string>();
    case Kind::Dictionary: {
        const PropertyDictionary &left = *lhs.as<PropertyDictionary>();
        const PropertyDictionary &right = *rhs.as<PropertyDictionary>();
        if (left.size() != right.size()) {
            return false;
        }
        for (const auto &[key, value] : left) {
            const auto other = right.find(key);
            if (other == right.end() || !equalValues(value, other->second)) {
                return false;
            }
        }
        return true;
    }
    case Kind::Array: {
        const PropertyArray &left = *lhs.as<PropertyArray>();
        const PropertyArray &right = *rhs.as<PropertyArray>();
        if (left.size() != right.size()) {
            return false;
        }
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (!equalValues(left[i], right[i])) {
                return false;
            }
        }
        return true;
    }
    case Kind::None:
        return false;
    }
    return false;
}

std::size_t floatingHash(double value)
{
    // Negative zero hashes as zero, so equal numbers hash alike.
    return std::hash<std::uint64_t> {}(std::bit_cast<std::uint64_t>(value == 0.0 ? 0.0 : value));
}

void hashInto(std::size_t &seed, const PropertyValue &value)
{
    const Kind kind = firstKind(value);
    hashCombine(seed, static_cast<std::size_t>(kind));
    switch (kind) {
    case Kind::Data:
        hashCombine(seed, qHash(*value.as<QByteArray>()));
        return;
    case Kind::Date:
        hashCombine(seed, std::hash<std::int64_t> {}(value.as<PropertyDate>()->time_since_epoch().count()));
        return;
    case Kind::Bool:
    case Kind::UInt8:
    case Kind::Int8:
    case Kind::UInt16:
    case Kind::Int16:
    case Kind::UInt32:
    case Kind::Int32:
    case Kind::Int64:
        hashCombine(seed, std::hash<std::int64_t> {}(*value.exactNumber<std::int64_t>()));
        return;
    case Kind::UInt64:
        hashCombine(seed, std::hash<std::uint64_t> {}(*value.exactNumber<std::uint64_t>()));
        return;
    case Kind::Float:
    case Kind::Double:
        hashCombine(seed, floatingHash(*value.exactNumber<double>()));
        return;
    case Kind::String:
        hashCombine(seed, std::hash<std::string> {}(*value.as<std::string>()));
        return;
    case Kind::Dictionary: {
        // Independent of the order of entries.
        std::size_t entries = 0;
        for (const auto &[key, element] : *value.as<PropertyDictionary>()) {
            std::size_t entry = std::hash<std::string> {}(key);
            hashInto(entry, element);
            entries += entry;
        }
        hashCombine(seed, entries);
        return;
    }
    case Kind::Array: {
        const PropertyArray &elements = *value.as<PropertyArray>();
        hashCombine(seed, elements.size());
        for (const PropertyValue &element : elements) {
            hashInto(seed, element);
        }
        return;
    }
    case Kind::None:
        return;
    }
}

} // namespace

AnySerializable AnySerializable::array(std::initializer_list<AnySerializable> elements)
{
    PropertyArray array;
    for (const AnySerializable &element : elements) {
        if (element.m_value) {
            array.push_back(*element.m_value);
        }
    }
    return fromStored(PropertyValue(std::move(array)));
}

AnySerializable AnySerializable::dictionary(
    std::initializer_list<std::pair<std::string, AnySerializable>> entries)
{
    PropertyDictionary dictionary;
    for (const auto &[key, element] : entries) {
        if (dictionary.contains(key)) {
            qFatal("AnySerializable::dictionary: the key \"%s\" is given twice", key.c_str());
        }
        if (element.m_value) {
            dictionary.emplace(key, *element.m_value);
        }
    }
    return fromStored(PropertyValue(std::move(dictionary)));
}

AnySerializable AnySerializable::fromStored(std::optional<PropertyValue> object)
{
    AnySerializable value;
    value.m_value = std::move(object);
    return value;
}

bool operator==(const AnySerializable &lhs, const AnySerializable &rhs)
{
    // The empty marker fits no kind, so it equals nothing, not even itself.
    if (!lhs.m_value || !rhs.m_value) {
        return false;
    }
    return equalValues(*lhs.m_value, *rhs.m_value);
}

std::size_t AnySerializable::hash() const
{
    std::size_t seed = 0;
    if (m_value) {
        hashInto(seed, *m_value);
    }
    return seed;
}

} // namespace Defaults
