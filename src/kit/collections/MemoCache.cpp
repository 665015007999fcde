#include "kit/collections/MemoCache.h"

#include <cstdio>

namespace {

bool liesWithin(
    const std::optional<MemoCache::TimePoint> &moment, MemoCache::Duration span, MemoCache::TimePoint now)
{
    return moment && now - span <= *moment && *moment <= now;
}

} // namespace

MemoCache::Timing MemoCache::systemTiming()
{
    return { [] { return Clock::now(); },
        [](TimePoint deadline, std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            wake.wait_until(lock, stop, deadline, [] { return false; });
            return !stop.stop_requested();
        } };
}

MemoCache::MemoCache(Timing timing)
    : m_timing(std::move(timing))
{ }

MemoCache::~MemoCache()
{
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

MemoCache &MemoCache::shared()
{
    static MemoCache cache;
    return cache;
}

AggregateHashable MemoCache::callSiteKey(
    const std::source_location &where, std::type_index valueType, std::vector<AnyHashable> arguments)
{
    std::vector<AnyHashable> elements {
        QString::fromUtf8(where.file_name()),
        QString::fromUtf8(where.function_name()),
        static_cast<int>(where.line()),
        static_cast<int>(where.column()),
        valueType,
    };
    elements.insert(
        elements.end(), std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
    return AggregateHashable(std::move(elements));
}

// Compared as an age so that a lifetime near the clock's limit cannot overflow.
bool MemoCache::isFresh(const Entry &entry, Duration lifetime, TimePoint now)
{
    return now - entry.storedAt < lifetime;
}

void MemoCache::scheduleCleanup(Duration lifetime)
{
    const TimePoint now = m_timing.now();
    {
        std::lock_guard guard(m_stateMutex);
        const bool skip = m_skipHousekeeping;
        m_skipHousekeeping = !skip;
        if (skip) {
            return;
        }
        if (liesWithin(m_lastCleanup, quietPeriod, now)) {
            if (liesWithin(m_lastScheduling, schedulingInterval, now)) {
                return;
            }
            m_currentCancellation.request_stop();
            m_currentCancellation = std::stop_source();
            m_pending = PendingCleanup { now + cleanupDelay, lifetime, m_currentCancellation };
            m_lastScheduling = now;
            if (!m_worker.joinable()) {
                m_worker = std::jthread([this](std::stop_token stop) { runBackgroundCleanups(stop); });
            }
            m_wake.notify_all();
            return;
        }
    }
    cleanup(lifetime);
}

void MemoCache::cleanup(Duration lifetime)
{
    for (const auto &[key, entry] : m_storage.toDictionary()) {
        const TimePoint now = m_timing.now();
        // Judged again under the storage's lock: the snapshot may be older than the entry.
        m_storage.update(key, [&](std::optional<Entry> &current) {
            if (current && now - current->storedAt > lifetime) {
                current.reset();
            }
        });
    }
    const TimePoint now = m_timing.now();
    std::lock_guard guard(m_stateMutex);
    m_lastCleanup = now;
}

void MemoCache::runBackgroundCleanups(std::stop_token stop)
{
    std::unique_lock lock(m_stateMutex);
    for (;;) {
        m_wake.wait(lock, stop, [this] { return m_pending.has_value(); });
        if (stop.stop_requested()) {
            return;
        }
        PendingCleanup task = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        bool slept = false;
        {
            // The cache going away cancels the wait as a newer scheduling does.
            std::stop_callback onStop(stop, [&task] { task.cancellation.request_stop(); });
            slept = m_timing.sleepUntil(task.deadline, task.cancellation.get_token());
        }
        if (slept) {
            cleanup(task.lifetime);
            std::fputs("CLEANUP\n", stdout);
            std::fflush(stdout);
        }
        lock.lock();
    }
}
