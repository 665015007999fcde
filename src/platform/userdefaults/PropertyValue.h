#pragma once

#include <QByteArray>

#include <chrono>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

// A point in time as the database keeps it: nanoseconds since the Unix epoch.
using PropertyDate = std::chrono::sys_time<std::chrono::nanoseconds>;

class PropertyValue;
using PropertyArray = std::vector<PropertyValue>;
using PropertyDictionary = std::map<std::string, PropertyValue, std::less<>>;

// One object of the user-defaults database: a property-list value. Booleans, signed and
// unsigned integers and doubles are distinct kinds; reads that want a number convert exactly
// (exactNumber), as the platform's bridging cast does.
class PropertyValue
{
public:
    enum class Kind { Bool, Int, UInt, Double, String, Data, Date, Array, Dictionary };

    PropertyValue(bool value)
        : m_value(value)
    { }
    template<std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) PropertyValue(T value)
    {
        if constexpr (std::is_signed_v<T>) {
            m_value = static_cast<std::int64_t>(value);
        } else {
            m_value = static_cast<std::uint64_t>(value);
        }
    }
    PropertyValue(double value)
        : m_value(value)
    { }
    PropertyValue(float value)
        : m_value(static_cast<double>(value))
    { }
    PropertyValue(std::string value)
        : m_value(std::move(value))
    { }
    PropertyValue(const char *value)
        : m_value(std::string(value))
    { }
    PropertyValue(QByteArray value)
        : m_value(std::move(value))
    { }
    PropertyValue(PropertyDate value)
        : m_value(value)
    { }
    PropertyValue(PropertyArray value)
        : m_value(std::move(value))
    { }
    PropertyValue(PropertyDictionary value)
        : m_value(std::move(value))
    { }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }

    // The value when it is of kind T exactly (bool, std::int64_t, std::uint64_t, double,
    // std::string, QByteArray, PropertyDate, PropertyArray, PropertyDictionary), else null.
    template<class T>
    const T *as() const
    {
        return std::get_if<T>(&m_value);
    }

    // The number converted to T when T holds it exactly: 5.0 reads as 5, 5.7 as no integer,
    // 300 as no 8-bit integer; a Boolean is the number 0 or 1 and only 0 and 1 read as
    // Booleans. A NaN or infinity reads as a floating-point type only. Non-numbers give none.
    template<class T>
    std::optional<T> exactNumber() const;

    bool isNumber() const { return kind() <= Kind::Double; }

    // Strict identity: the same kind and the same value; doubles compare by bit pattern, so a
    // NaN equals itself and -0.0 differs from 0.0. Used to notice changed entries.
    friend bool operator==(const PropertyValue &, const PropertyValue &);

    // Human-readable form for logs and test failures.
    std::string debugDescription() const;

private:
    std::variant<bool, std::int64_t, std::uint64_t, double, std::string, QByteArray, PropertyDate,
        PropertyArray, PropertyDictionary>
        m_value;
};

namespace PropertyValueDetail {

// Signed and unsigned stored integers convert alike: only values that survive the trip unchanged.
template<class T, std::integral W>
std::optional<T> fromWhole(W value)
{
    if constexpr (std::same_as<T, bool>) {
        if (value == 0 || value == 1) {
            return value == 1;
        }
        return std::nullopt;
    } else if constexpr (std::floating_point<T>) {
        const T converted = static_cast<T>(value);
        // 2^63 and 2^64 are out of the integer ranges, so compare in long double.
        if (static_cast<long double>(converted) == static_cast<long double>(value)) {
            return converted;
        }
        return std::nullopt;
    } else {
        if (std::in_range<T>(value)) {
            return static_cast<T>(value);
        }
        return std::nullopt;
    }
}

template<class T>
std::optional<T> fromDouble(double value)
{
    if constexpr (std::same_as<T, bool>) {
        if (value == 0.0 || value == 1.0) {
            return value == 1.0;
        }
        return std::nullopt;
    } else if constexpr (std::floating_point<T>) {
        if (!std::isfinite(value)) {
            return static_cast<T>(value);
        }
        const T converted = static_cast<T>(value);
        if (static_cast<double>(converted) == value) {
            return converted;
        }
        return std::nullopt;
    } else {
        if (!std::isfinite(value) || std::trunc(value) != value) {
            return std::nullopt;
        }
        // Bounds in long double: the maxima of 64-bit types are not doubles.
        const long double wide = value;
        if (wide < static_cast<long double>(std::numeric_limits<T>::min())
            || wide > static_cast<long double>(std::numeric_limits<T>::max())) {
            return std::nullopt;
        }
        return static_cast<T>(value);
    }
}

} // namespace PropertyValueDetail

template<class T>
std::optional<T> PropertyValue::exactNumber() const
{
    static_assert(std::is_arithmetic_v<T>);
    switch (kind()) {
    case Kind::Bool:
        return PropertyValueDetail::fromWhole<T>(std::int64_t { std::get<bool>(m_value) ? 1 : 0 });
    case Kind::Int:
        return PropertyValueDetail::fromWhole<T>(std::get<std::int64_t>(m_value));
    case Kind::UInt:
        return PropertyValueDetail::fromWhole<T>(std::get<std::uint64_t>(m_value));
    case Kind::Double:
        return PropertyValueDetail::fromDouble<T>(std::get<double>(m_value));
    default:
        return std::nullopt;
    }
}
