#pragma once

#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>

// The first value the transform gives that is not none, trying the elements in order and
// stopping there; none when there is none. What the transform throws reaches the caller.
template<std::ranges::input_range Range, typename Transform>
auto firstNonNil(Range &&range, Transform transform) -> std::optional<typename std::remove_cvref_t<
    std::invoke_result_t<Transform &, std::ranges::range_reference_t<Range>>>::value_type>
{
    for (auto &&element : range) {
        if (auto result = transform(std::forward<decltype(element)>(element))) {
            return result;
        }
    }
    return std::nullopt;
}
