#include "platform/userdefaults/PropertyValue.h"

#include <bit>
#include <charconv>

bool operator==(const PropertyValue &lhs, const PropertyValue &rhs)
{
    if (lhs.kind() != rhs.kind()) {
        return false;
    }
    if (const double *value = lhs.as<double>()) {
        return std::bit_cast<std::uint64_t>(*value) == std::bit_cast<std::uint64_t>(*rhs.as<double>());
    }
    return lhs.m_value == rhs.m_value;
}

std::string PropertyValue::debugDescription() const
{
    switch (kind()) {
    case Kind::Bool:
        return *as<bool>() ? "true" : "false";
    case Kind::Int:
        return std::to_string(*as<std::int64_t>());
    case Kind::UInt:
        return std::to_string(*as<std::uint64_t>()) + "u";
    case Kind::Double: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, *as<double>());
        return std::string(buffer, result.ptr) + "d";
    }
    case Kind::String:
        return '"' + *as<std::string>() + '"';
    case Kind::Data:
        return "<" + as<QByteArray>()->toHex().toStdString() + ">";
    case Kind::Date:
        return "@" + std::to_string(as<PropertyDate>()->time_since_epoch().count()) + "ns";
    case Kind::Array: {
        std::string text = "[";
        for (const PropertyValue &element : *as<PropertyArray>()) {
            text += (text.size() > 1 ? ", " : "") + element.debugDescription();
        }
        return text + "]";
    }
    case Kind::Dictionary: {
        std::string text = "{";
        for (const auto &[key, element] : *as<PropertyDictionary>()) {
            text += (text.size() > 1 ? ", " : "") + key + ": " + element.debugDescription();
        }
        return text + "}";
    }
    }
    return {};
}
