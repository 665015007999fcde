#pragma once

#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

// Where a DecodableDefault::Wrapper starts: `using Value = ...; static Value defaultValue();`.
template<typename Source>
concept DecodableDefaultSource = requires
{
    typename Source::Value;
    {
        Source::defaultValue()
        } -> std::convertible_to<typename Source::Value>;
};

namespace DecodableDefault {

// A stored value that starts from its source's default; a member of a decoded object that is
// absent takes that default (see decodeDefaulted beside the JSON coding).
template<DecodableDefaultSource Source>
struct Wrapper
{
    using Value = typename Source::Value;

    Value wrappedValue = Source::defaultValue();

    auto id() const requires requires(const Value &value) { value.id(); }
    {
        return wrappedValue.id();
    }

    friend bool operator==(const Wrapper &left, const Wrapper &right) requires std::equality_comparable<Value>
    {
        return left.wrappedValue == right.wrappedValue;
    }
};

} // namespace DecodableDefault

template<typename Source>
requires requires(const typename Source::Value &value)
{
    std::hash<typename Source::Value> {}(value);
}
struct std::hash<DecodableDefault::Wrapper<Source>>
{
    std::size_t operator()(const DecodableDefault::Wrapper<Source> &wrapper) const
    {
        return std::hash<typename Source::Value> {}(wrapper.wrappedValue);
    }
};
