#pragma once

#include "kit/collections/AggregateHashable.h"
#include "kit/collections/AtomicDictionary.h"

#include <any>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <source_location>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

// Remembers the results of expensive lookups for a short time, keyed by the call site, the
// type of the result and the lookup's arguments. Every second lookup does housekeeping: a
// clean-up at once after a quiet minute, else a background clean-up 10 seconds after the
// latest scheduling (at most one scheduling every 2 seconds; a newer one replaces the pending one).
class MemoCache
{
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Duration = std::chrono::nanoseconds;

    struct Entry
    {
        TimePoint storedAt;
        std::any value;
    };
    using Storage = AtomicDictionary<AggregateHashable, Entry>;

    // Where the cache gets the time and how its background clean-up waits; tests bring their own.
    struct Timing
    {
        std::function<TimePoint()> now;
        // Waits until `deadline`; answers false when `stop` was requested first.
        std::function<bool(TimePoint deadline, std::stop_token stop)> sleepUntil;
    };
    static Timing systemTiming();

    static constexpr Duration cleanupDelay = std::chrono::seconds(10);
    static constexpr Duration quietPeriod = std::chrono::seconds(60);
    static constexpr Duration schedulingInterval = std::chrono::seconds(2);

    explicit MemoCache(Timing timing = systemTiming());
    ~MemoCache();
    MemoCache(const MemoCache &) = delete;
    MemoCache &operator=(const MemoCache &) = delete;

    // The cache of the process.
    static MemoCache &shared();

    // The value stored by the same call site for the same arguments less than `lifetime` ago,
    // else a newly computed one. Two threads missing at once both compute; the later store wins.
    template<typename Compute>
    std::decay_t<std::invoke_result_t<Compute &>> memoize(Duration lifetime,
        std::vector<AnyHashable> arguments, Compute &&value,
        std::source_location where = std::source_location::current());

    // Removes the entries stored more than `lifetime` ago, each judged when it is removed, so an
    // entry stored meanwhile stays.
    void cleanup(Duration lifetime);

    Storage &storage() { return m_storage; }

private:
    static AggregateHashable callSiteKey(
        const std::source_location &where, std::type_index valueType, std::vector<AnyHashable> arguments);
    static bool isFresh(const Entry &entry, Duration lifetime, TimePoint now);

    void scheduleCleanup(Duration lifetime);
    void runBackgroundCleanups(std::stop_token stop);

    struct PendingCleanup
    {
        TimePoint deadline;
        Duration lifetime;
        std::stop_source cancellation;
    };

    Timing m_timing;
    Storage m_storage;

    std::mutex m_stateMutex;
    std::condition_variable_any m_wake;
    bool m_skipHousekeeping = true;
    std::optional<TimePoint> m_lastCleanup;
    std::optional<TimePoint> m_lastScheduling;
    std::optional<PendingCleanup> m_pending;
    std::stop_source m_currentCancellation;
    std::jthread m_worker;
};

template<typename Compute>
std::decay_t<std::invoke_result_t<Compute &>> MemoCache::memoize(
    Duration lifetime, std::vector<AnyHashable> arguments, Compute &&value, std::source_location where)
{
    using Value = std::decay_t<std::invoke_result_t<Compute &>>;
    const AggregateHashable key = callSiteKey(where, typeid(Value), std::move(arguments));
    std::optional<Value> result;
    if (const auto entry = m_storage.value(key); entry && isFresh(*entry, lifetime, m_timing.now())) {
        if (const auto *cached = std::any_cast<Value>(&entry->value)) {
            result = *cached;
        }
    }
    if (!result) {
        result = value();
        m_storage.setValue(key, Entry { m_timing.now(), *result });
    }
    scheduleCleanup(lifetime);
    return std::move(*result);
}

// Looks up through the process's cache; see MemoCache::memoize.
template<typename Compute>
std::decay_t<std::invoke_result_t<Compute &>> memoize(MemoCache::Duration lifetime,
    std::vector<AnyHashable> arguments, Compute &&value,
    std::source_location where = std::source_location::current())
{
    return MemoCache::shared().memoize(lifetime, std::move(arguments), std::forward<Compute>(value), where);
}
