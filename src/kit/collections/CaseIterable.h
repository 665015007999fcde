#pragma once

#include <concepts>
#include <ranges>

// Every case of an enumeration in declaration order; specialise it for an enumeration that is
// listed or mapped case by case:
//     template<> struct EnumCases<Quality> { static std::vector<Quality> all() { return {...}; } };
template<typename Enum>
struct EnumCases;

template<typename Enum>
concept CaseIterable = requires
{
    {
        EnumCases<Enum>::all()
        } -> std::ranges::input_range;
};
