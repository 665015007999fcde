#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ranges>
#include <stdexcept>
#include <unordered_set>
#include <utility>
#include <vector>

// A set that keeps its members in the order of their first insertion: membership is hashed,
// iteration and positions follow that order. A random-access range of const elements.
template<typename Element, typename Hash = std::hash<Element>>
class OrderedSet
{
public:
    using value_type = Element;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using const_reference = const Element &;
    using reference = const_reference;
    using const_iterator = typename std::vector<Element>::const_iterator;
    using iterator = const_iterator;

    OrderedSet() = default;
    OrderedSet(std::initializer_list<Element> elements) { appendAll(elements); }

    // A repeated element keeps the position of its first occurrence.
    template<std::ranges::input_range Elements>
    requires(!std::same_as<std::remove_cvref_t<Elements>, OrderedSet>) explicit OrderedSet(
        const Elements &elements)
    {
        appendAll(elements);
    }

    // Adds `element` at the end unless it is already a member; answers whether it was added.
    bool append(Element element)
    {
        if (!m_set.insert(element).second) {
            return false;
        }
        m_array.push_back(std::move(element));
        return true;
    }

    bool contains(const Element &element) const { return m_set.contains(element); }

    size_type size() const { return m_array.size(); }
    size_type count() const { return m_array.size(); }
    bool isEmpty() const { return m_array.empty(); }
    bool empty() const { return m_array.empty(); }
    const std::vector<Element> &contents() const { return m_array; }

    const Element &operator[](size_type position) const { return m_array[position]; }
    const Element &at(size_type position) const { return m_array.at(position); }
    const_iterator begin() const { return m_array.begin(); }
    const_iterator end() const { return m_array.end(); }

    // Both throw std::out_of_range on an empty set rather than read past it.
    Element removeFirst()
    {
        requireMembers();
        Element first = std::move(m_array.front());
        m_array.erase(m_array.begin());
        m_set.erase(first);
        return first;
    }
    Element removeLast()
    {
        requireMembers();
        Element last = std::move(m_array.back());
        m_array.pop_back();
        m_set.erase(last);
        return last;
    }

    void removeAll(bool keepingCapacity = false)
    {
        if (keepingCapacity) {
            m_array.clear();
            m_set.clear();
        } else {
            m_array = {};
            m_set = {};
        }
    }

    // The member as the set held it, or none (and no change) when `element` is not a member.
    std::optional<Element> remove(const Element &element)
    {
        auto node = m_set.extract(element);
        if (node.empty()) {
            return std::nullopt;
        }
        m_array.erase(std::find(m_array.begin(), m_array.end(), element));
        return std::move(node.value());
    }

    // Order matters: the same members in another order are a different set.
    friend bool operator==(const OrderedSet &left, const OrderedSet &right)
    {
        return left.m_array == right.m_array;
    }

private:
    template<typename Elements>
    void appendAll(const Elements &elements)
    {
        for (const auto &element : elements) {
            append(element);
        }
    }

    void requireMembers() const
    {
        if (m_array.empty()) {
            throw std::out_of_range("OrderedSet: no element to remove");
        }
    }

    std::vector<Element> m_array;
    std::unordered_set<Element, Hash> m_set;
};
