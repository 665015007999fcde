#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <ranges>
#include <utility>

// Each element with the one before and the one after it (none at the ends). The base is read
// exactly one element ahead of what has been delivered, so beginning a single-pass range takes
// its first element at once.
template<std::ranges::input_range Base>
requires std::ranges::view<Base>
class NeighborSequence
{
    using Element = std::ranges::range_value_t<Base>;

public:
    struct Neighbors
    {
        std::optional<Element> previous;
        Element current;
        std::optional<Element> next;

        friend bool operator==(const Neighbors &, const Neighbors &) = default;
    };

    class Iterator
    {
    public:
        using value_type = Neighbors;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        explicit Iterator(Base &base)
            : m_base(std::ranges::begin(base))
            , m_end(std::ranges::end(base))
        {
            m_lookahead = readAhead();
            ++*this;
        }
        Iterator(Iterator &&) = default;
        Iterator &operator=(Iterator &&) = default;

        const Neighbors &operator*() const { return *m_current; }
        Iterator &operator++()
        {
            if (!m_lookahead) {
                m_current.reset();
                return *this;
            }
            std::optional<Element> previous = m_current ? std::optional(m_current->current) : std::nullopt;
            Element current = std::move(*m_lookahead);
            m_lookahead = readAhead();
            m_current = Neighbors { std::move(previous), std::move(current), m_lookahead };
            return *this;
        }
        void operator++(int) { ++*this; }
        friend bool operator==(const Iterator &iterator, std::default_sentinel_t)
        {
            return !iterator.m_current;
        }

    private:
        std::optional<Element> readAhead()
        {
            if (m_base == m_end) {
                return std::nullopt;
            }
            std::optional<Element> element(*m_base);
            ++m_base;
            return element;
        }

        std::ranges::iterator_t<Base> m_base;
        std::ranges::sentinel_t<Base> m_end;
        std::optional<Element> m_lookahead;
        std::optional<Neighbors> m_current;
    };

    explicit NeighborSequence(Base base)
        : m_base(std::move(base))
    { }

    Iterator begin() { return Iterator(m_base); }
    std::default_sentinel_t end() const { return {}; }

private:
    Base m_base;
};

template<std::ranges::viewable_range Range>
auto neighbors(Range &&range)
{
    return NeighborSequence<std::views::all_t<Range>>(std::views::all(std::forward<Range>(range)));
}
