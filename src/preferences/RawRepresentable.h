#pragma once

#include <concepts>
#include <optional>

// A type with a raw value: RawRepresentation<T> names the raw value type and converts both ways.
// Enumerations specialise it; a class may instead have `RawValue`, `rawValue()` and
// `static std::optional<T> fromRawValue(const RawValue &)`.
template<class T>
struct RawRepresentation;

template<class T>
requires requires(const T &value, const typename T::RawValue &raw)
{
    {
        value.rawValue()
        } -> std::convertible_to<typename T::RawValue>;
    {
        T::fromRawValue(raw)
        } -> std::same_as<std::optional<T>>;
}
struct RawRepresentation<T>
{
    using RawValue = typename T::RawValue;
    static RawValue rawValue(const T &value) { return value.rawValue(); }
    static std::optional<T> fromRawValue(const RawValue &raw) { return T::fromRawValue(raw); }
};

template<class T>
concept RawRepresentable = requires(const T &value, const typename RawRepresentation<T>::RawValue &raw)
{
    {
        RawRepresentation<T>::rawValue(value)
        } -> std::convertible_to<typename RawRepresentation<T>::RawValue>;
    {
        RawRepresentation<T>::fromRawValue(raw)
        } -> std::same_as<std::optional<T>>;
};
