#pragma once

#include "kit/collections/Describe.h"
#include "kit/collections/HashCombine.h"

#include <tsl/ordered_map.h>

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

// A dictionary that keeps its keys in first-insertion order and is indexed by position in that
// order. Updating a key keeps its position; only removing and inserting it again moves it to
// the end. Equality depends on order.
template<typename Key, typename Value, typename Hash = std::hash<Key>>
class OrderedDictionary
{
    using Map = tsl::ordered_map<Key, Value, Hash>;

public:
    using value_type = std::pair<Key, Value>;
    using size_type = std::size_t;
    using const_iterator = typename Map::const_iterator;
    using iterator = const_iterator;

    OrderedDictionary() = default;

    // Pairs are assigned in order: a repeated key keeps its first position and its last value.
    OrderedDictionary(std::initializer_list<value_type> pairs) { assignAll(pairs); }

    template<typename Pairs>
    requires(!std::same_as<std::remove_cvref_t<Pairs>, OrderedDictionary>) explicit OrderedDictionary(
        const Pairs &pairs)
    {
        assignAll(pairs);
    }

    std::optional<Value> value(const Key &key) const
    {
        const auto found = m_map.find(key);
        if (found == m_map.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    bool contains(const Key &key) const { return m_map.find(key) != m_map.end(); }

    // No value removes the key; removing an absent key changes nothing.
    void setValue(const Key &key, std::optional<Value> newValue)
    {
        if (!newValue) {
            m_map.erase(key);
            return;
        }
        m_map.insert_or_assign(key, std::move(*newValue));
    }

    void remove(const Key &key) { setValue(key, std::nullopt); }

    // The pair at `position` in key order; throws std::out_of_range past the end.
    const value_type &at(size_type position) const
    {
        if (position >= m_map.size()) {
            throw std::out_of_range("OrderedDictionary: position past the end");
        }
        return *m_map.nth(position);
    }
    const value_type &operator[](size_type position) const { return *m_map.nth(position); }

    // The pairs at positions [first, last), positioned from 0 again.
    OrderedDictionary slice(size_type first, size_type last) const
    {
        if (first > last || last > m_map.size()) {
            throw std::out_of_range("OrderedDictionary: slice outside the dictionary");
        }
        OrderedDictionary result;
        for (auto position = first; position < last; ++position) {
            const auto &[key, value] = *m_map.nth(position);
            result.setValue(key, value);
        }
        return result;
    }

    std::vector<Key> keys() const
    {
        std::vector<Key> result;
        result.reserve(m_map.size());
        for (const auto &pair : m_map) {
            result.push_back(pair.first);
        }
        return result;
    }

    size_type size() const { return m_map.size(); }
    size_type count() const { return m_map.size(); }
    bool isEmpty() const { return m_map.empty(); }
    bool empty() const { return m_map.empty(); }
    const_iterator begin() const { return m_map.cbegin(); }
    const_iterator end() const { return m_map.cend(); }

    // ["a": 1, "b": "x"]; "[:]" when empty.
    QString description() const { return describePairs(m_map); }

    friend bool operator==(const OrderedDictionary &left,
        const OrderedDictionary &right) requires std::equality_comparable<Value>
    {
        return std::equal(left.begin(), left.end(), right.begin(), right.end());
    }

private:
    template<typename Pairs>
    void assignAll(const Pairs &pairs)
    {
        for (const auto &[key, value] : pairs) {
            setValue(key, value);
        }
    }

    Map m_map;
};

// Hashes the keys and values in order, so that equal dictionaries hash equally.
template<typename Key, typename Value, typename Hash>
requires requires(const Value &value)
{
    std::hash<Value> {}(value);
}
struct std::hash<OrderedDictionary<Key, Value, Hash>>
{
    std::size_t operator()(const OrderedDictionary<Key, Value, Hash> &dictionary) const
    {
        std::size_t seed = dictionary.size();
        for (const auto &[key, value] : dictionary) {
            hashCombine(seed, Hash {}(key));
            hashCombine(seed, std::hash<Value> {}(value));
        }
        return seed;
    }
};
