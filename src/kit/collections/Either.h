#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/HashCombine.h"

#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>
#include <variant>

// One value of one of two types, which may be the same type. Ordered by side first, every left
// before every right, then by value.
template<typename Left, typename Right>
class Either
{
public:
    static Either left(Left value) { return Either(std::in_place_index<0>, std::move(value)); }
    static Either right(Right value) { return Either(std::in_place_index<1>, std::move(value)); }

    bool isLeft() const { return m_value.index() == 0; }
    bool isRight() const { return m_value.index() == 1; }
    // 0 for left, 1 for right.
    std::size_t caseNumber() const { return m_value.index(); }

    // The value on that side, or null when the other side holds it.
    const Left *leftValue() const { return std::get_if<0>(&m_value); }
    const Right *rightValue() const { return std::get_if<1>(&m_value); }

    friend bool operator==(const Either &, const Either &) = default;
    friend bool operator<(const Either &left,
        const Either &right) requires std::totally_ordered<Left> && std::totally_ordered<Right>
    {
        return left.m_value < right.m_value;
    }
    friend bool operator>(const Either &left,
        const Either &right) requires std::totally_ordered<Left> && std::totally_ordered<Right>
    {
        return right < left;
    }
    friend bool operator<=(const Either &left,
        const Either &right) requires std::totally_ordered<Left> && std::totally_ordered<Right>
    {
        return !(right < left);
    }
    friend bool operator>=(const Either &left,
        const Either &right) requires std::totally_ordered<Left> && std::totally_ordered<Right>
    {
        return !(left < right);
    }

private:
    template<std::size_t Side, typename Value>
    Either(std::in_place_index_t<Side> side, Value &&value)
        : m_value(side, std::forward<Value>(value))
    { }

    std::variant<Left, Right> m_value;
};

template<HashableValue Left, HashableValue Right>
struct std::hash<Either<Left, Right>>
{
    std::size_t operator()(const Either<Left, Right> &either) const
    {
        std::size_t seed = std::hash<std::size_t> {}(either.caseNumber());
        hashCombine(seed, either.isLeft() ? hashOf(*either.leftValue()) : hashOf(*either.rightValue()));
        return seed;
    }
};
