#pragma once

#include "kit/collections/WeakBox.h"

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <vector>

// Objects held weakly, in order. An entry whose object is gone stays and reads as empty; nothing
// compacts the array. A forward range of (possibly empty) pointers.
template<typename Element>
class WeakArray
{
public:
    using Strong = typename WeakBox<Element>::Strong;
    using value_type = Strong;
    using size_type = std::size_t;

    class const_iterator
    {
    public:
        using value_type = Strong;
        using difference_type = std::ptrdiff_t;
        using iterator_concept = std::forward_iterator_tag;

        const_iterator() = default;
        explicit const_iterator(typename std::vector<WeakBox<Element>>::const_iterator box)
            : m_box(box)
        { }

        Strong operator*() const { return m_box->wrappedValue(); }
        const_iterator &operator++()
        {
            ++m_box;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_box;
            return before;
        }
        friend bool operator==(const const_iterator &, const const_iterator &) = default;

    private:
        typename std::vector<WeakBox<Element>>::const_iterator m_box;
    };
    using iterator = const_iterator;

    WeakArray() = default;
    WeakArray(std::initializer_list<Strong> objects)
    {
        m_storage.reserve(objects.size());
        for (const Strong &object : objects) {
            m_storage.emplace_back(object);
        }
    }

    void append(const Strong &object) { m_storage.emplace_back(object); }

    // Positions run from 0 to size() - 1.
    Strong operator[](size_type position) const { return m_storage[position].wrappedValue(); }
    size_type size() const { return m_storage.size(); }
    size_type count() const { return m_storage.size(); }
    bool empty() const { return m_storage.empty(); }
    bool isEmpty() const { return m_storage.empty(); }
    const_iterator begin() const { return const_iterator(m_storage.begin()); }
    const_iterator end() const { return const_iterator(m_storage.end()); }

private:
    std::vector<WeakBox<Element>> m_storage;
};
