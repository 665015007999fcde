#pragma once

#include "kit/collections/CaseIterable.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

// A value for every case of an enumeration, walked in declaration order. The cases are fixed at
// creation; values are only replaced, never added or removed. Reading or replacing the value of a
// case that was given none throws std::out_of_range.
template<CaseIterable Key, typename Value, typename Hash = std::hash<Key>>
class EnumCaseMap
{
public:
    using Storage = std::unordered_map<Key, Value, Hash>;
    using value_type = std::pair<Key, Value>;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;

    // A forward iterator over (case, value) pairs, by value.
    class const_iterator
    {
    public:
        using value_type = EnumCaseMap::value_type;
        using difference_type = std::ptrdiff_t;
        using iterator_concept = std::forward_iterator_tag;

        const_iterator() = default;
        const_iterator(const EnumCaseMap *map, size_type position)
            : m_map(map)
            , m_position(position)
        { }

        value_type operator*() const { return (*m_map)[m_position]; }
        const_iterator &operator++()
        {
            ++m_position;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_position;
            return before;
        }
        friend bool operator==(const const_iterator &left, const const_iterator &right)
        {
            return left.m_position == right.m_position;
        }

    private:
        const EnumCaseMap *m_map = nullptr;
        size_type m_position = 0;
    };
    using iterator = const_iterator;

    // `values` may hold values for excluded cases too; they stay reachable by key only.
    explicit EnumCaseMap(Storage values, const std::vector<Key> &excludedCases = {})
        : m_storage(std::move(values))
    {
        for (const Key &key : EnumCases<Key>::all()) {
            if (std::find(excludedCases.begin(), excludedCases.end(), key) == excludedCases.end()) {
                m_cases.push_back(key);
            }
        }
    }

    const std::vector<Key> &keys() const { return m_cases; }

    // Every stored value, excluded cases included, in no particular order.
    std::vector<Value> values() const
    {
        std::vector<Value> result;
        result.reserve(m_storage.size());
        for (const auto &pair : m_storage) {
            result.push_back(pair.second);
        }
        return result;
    }

    const Value &operator[](const Key &key) const { return m_storage.at(key); }
    Value &operator[](const Key &key) { return m_storage.at(key); }
    void setValue(const Key &key, Value value) { m_storage.at(key) = std::move(value); }

    value_type operator[](size_type position) const
    {
        const Key &key = m_cases.at(position);
        return { key, m_storage.at(key) };
    }

    size_type size() const { return m_cases.size(); }
    size_type count() const { return m_cases.size(); }
    bool isEmpty() const { return m_cases.empty(); }
    bool empty() const { return m_cases.empty(); }
    const_iterator begin() const { return { this, 0 }; }
    const_iterator end() const { return { this, m_cases.size() }; }

private:
    std::vector<Key> m_cases;
    Storage m_storage;
};
