#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <utility>

// Stops one iteration from any thread: the iterating coroutine checks isStopped() between
// elements, and the iterator's canceller, once known, wakes it when it is waiting for one.
class AsyncIterationStop
{
public:
    bool isStopped() const { return m_stopped; }

    void stop()
    {
        std::function<void()> endIterator;
        {
            std::lock_guard guard(m_mutex);
            m_stopped = true;
            endIterator = std::exchange(m_endIterator, nullptr);
        }
        if (endIterator) {
            endIterator();
        }
    }

    // Runs it at once when the stop came first.
    void setIteratorCanceller(std::function<void()> endIterator)
    {
        {
            std::lock_guard guard(m_mutex);
            if (!m_stopped) {
                m_endIterator = std::move(endIterator);
                return;
            }
        }
        if (endIterator) {
            endIterator();
        }
    }

private:
    std::mutex m_mutex;
    std::atomic<bool> m_stopped = false;
    std::function<void()> m_endIterator;
};
