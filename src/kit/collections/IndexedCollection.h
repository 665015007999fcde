#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <ranges>
#include <utility>

// A random-access range seen as (position, element) pairs, so that a list can use an element's
// position as its identity. Positions count from `startIndex`: a slice made with indexedSlice()
// keeps the positions its elements have in the whole range.
template<std::ranges::random_access_range Base>
requires std::ranges::sized_range<const Base> && std::ranges::common_range<const Base>
class IndexedCollection
{
    using BaseIterator = std::ranges::iterator_t<const Base>;

public:
    using Index = std::size_t;
    using value_type = std::pair<Index, std::ranges::range_value_t<const Base>>;

    class const_iterator
    {
    public:
        using value_type = IndexedCollection::value_type;
        using difference_type = std::ptrdiff_t;
        using iterator_concept = std::random_access_iterator_tag;

        const_iterator() = default;
        const_iterator(BaseIterator element, Index index)
            : m_element(element)
            , m_index(index)
        { }

        value_type operator*() const { return { m_index, *m_element }; }
        value_type operator[](difference_type offset) const { return *(*this + offset); }

        const_iterator &operator+=(difference_type offset)
        {
            m_element += offset;
            m_index = static_cast<Index>(static_cast<difference_type>(m_index) + offset);
            return *this;
        }
        const_iterator &operator-=(difference_type offset) { return *this += -offset; }
        const_iterator &operator++() { return *this += 1; }
        const_iterator &operator--() { return *this -= 1; }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            *this += 1;
            return before;
        }
        const_iterator operator--(int)
        {
            const_iterator before = *this;
            *this -= 1;
            return before;
        }
        friend const_iterator operator+(const_iterator it, difference_type offset) { return it += offset; }
        friend const_iterator operator+(difference_type offset, const_iterator it) { return it += offset; }
        friend const_iterator operator-(const_iterator it, difference_type offset) { return it -= offset; }
        friend difference_type operator-(const const_iterator &left, const const_iterator &right)
        {
            return left.m_element - right.m_element;
        }
        friend bool operator==(const const_iterator &left, const const_iterator &right)
        {
            return left.m_element == right.m_element;
        }
        friend auto operator<=>(const const_iterator &left, const const_iterator &right)
        {
            return left.m_element <=> right.m_element;
        }

    private:
        BaseIterator m_element {};
        Index m_index = 0;
    };
    using iterator = const_iterator;

    explicit IndexedCollection(Base base, Index startIndex = 0)
        : m_base(std::move(base))
        , m_startIndex(startIndex)
    { }

    Index startIndex() const { return m_startIndex; }
    Index endIndex() const { return m_startIndex + size(); }
    std::size_t size() const { return static_cast<std::size_t>(std::ranges::size(m_base)); }
    bool empty() const { return size() == 0; }
    bool isEmpty() const { return empty(); }

    // `position` counts from startIndex().
    value_type operator[](Index position) const
    {
        return { position, std::ranges::begin(m_base)[static_cast<std::ptrdiff_t>(position - m_startIndex)] };
    }

    const_iterator begin() const { return { std::ranges::begin(m_base), m_startIndex }; }
    const_iterator end() const { return { std::ranges::end(m_base), endIndex() }; }

private:
    Base m_base;
    Index m_startIndex;
};

// The elements [first, last) of `range`, positioned as they are in `range`. The slice refers to
// `range`, which must outlive it.
template<std::ranges::random_access_range Range>
auto indexedSlice(const Range &range, std::size_t first, std::size_t last)
{
    auto begin = std::ranges::begin(range);
    using Slice = std::ranges::subrange<decltype(begin)>;
    return IndexedCollection<Slice>(
        Slice(begin + static_cast<std::ptrdiff_t>(first), begin + static_cast<std::ptrdiff_t>(last)), first);
}
