#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/Identifiable.h"

#include <atomic>
#include <concepts>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

// A value computed on first use, once, whatever the number of threads asking at the same time:
// they wait for the one computation. A computation that throws leaves the box empty, and the
// next reader tries again. The computation must not read the same box.
template<typename Value>
class LazyBox final
{
public:
    explicit LazyBox(std::function<Value()> closure)
        : m_closure(std::move(closure))
    { }
    LazyBox(const LazyBox &) = delete;
    LazyBox &operator=(const LazyBox &) = delete;

    const Value &wrappedValue() const
    {
        if (m_computed.load(std::memory_order_acquire)) {
            return *m_wrappedValue;
        }
        // Not std::call_once: with libstdc++ it hangs the next caller once a computation threw.
        std::lock_guard lock(m_mutex);
        if (!m_computed.load(std::memory_order_relaxed)) {
            m_wrappedValue.emplace(m_closure());
            m_computed.store(true, std::memory_order_release);
        }
        return *m_wrappedValue;
    }

    AnyHashable id() const requires Identifiable<Value> { return AnyHashable(wrappedValue().id()); }

    friend bool operator==(const LazyBox &left, const LazyBox &right) requires std::equality_comparable<Value>
    {
        return left.wrappedValue() == right.wrappedValue();
    }
    friend bool operator<(const LazyBox &left, const LazyBox &right) requires std::totally_ordered<Value>
    {
        return left.wrappedValue() < right.wrappedValue();
    }
    friend bool operator>(const LazyBox &left, const LazyBox &right) requires std::totally_ordered<Value>
    {
        return right < left;
    }
    friend bool operator<=(const LazyBox &left, const LazyBox &right) requires std::totally_ordered<Value>
    {
        return !(right < left);
    }
    friend bool operator>=(const LazyBox &left, const LazyBox &right) requires std::totally_ordered<Value>
    {
        return !(left < right);
    }

private:
    std::function<Value()> m_closure;
    mutable std::mutex m_mutex;
    mutable std::atomic<bool> m_computed = false;
    mutable std::optional<Value> m_wrappedValue;
};

template<typename Value>
requires HashableValue<Value>
struct std::hash<LazyBox<Value>>
{
    std::size_t operator()(const LazyBox<Value> &box) const { return hashOf(box.wrappedValue()); }
};
