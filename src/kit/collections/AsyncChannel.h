#pragma once

#include "kit/collections/ConsumerWaker.h"

#include <QCoreApplication>

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>

// The buffer between producers on any thread and one consumer coroutine, unbounded, so a
// producer never blocks and nothing is dropped while the channel is open. A suspended consumer is
// resumed through its own thread's event loop, never inside the producer's call.
//
// The producer ends it with finish(): what is buffered is still delivered, then none. The
// consumer's side ends it with end(): the buffer is dropped at once. Either way later values are
// dropped and the termination handler runs once.
template<class T>
class AsyncChannel
{
public:
    struct Waiter
    {
        std::optional<T> *slot = nullptr;
        // Lives on the consumer's thread; an event posted to it resumes the consumer.
        ConsumerWaker *waker = nullptr;
    };

    void yield(T value)
    {
        std::lock_guard lock(m_mutex);
        if (m_finished || m_ended) {
            return;
        }
        if (m_waiter) {
            *m_waiter->slot = std::move(value);
            wakeLocked();
        } else {
            m_buffer.push_back(std::move(value));
        }
    }

    void finish() { close(false); }
    void end() { close(true); }

    void setOnTermination(std::function<void()> handler)
    {
        std::unique_lock lock(m_mutex);
        if (!m_finished && !m_ended) {
            m_onTermination = std::move(handler);
            return;
        }
        lock.unlock();
        handler();
    }

    // True when no suspension is needed: a buffered value was taken, or the channel is over.
    bool take(std::optional<T> &slot)
    {
        std::lock_guard lock(m_mutex);
        return takeLocked(slot);
    }

    // False when a value or the end arrived meanwhile, so the consumer goes on at once. One
    // consumer at a time: a second one waiting is refused with std::logic_error.
    bool suspend(Waiter *waiter)
    {
        std::lock_guard lock(m_mutex);
        if (takeLocked(*waiter->slot)) {
            return false;
        }
        if (m_waiter) {
            throw std::logic_error("AsyncChannel: another consumer is already waiting");
        }
        m_waiter = waiter;
        return true;
    }

    // The consumer's awaiter goes away; no resume may reach it afterwards.
    void abandon(Waiter *waiter)
    {
        std::lock_guard lock(m_mutex);
        if (m_waiter == waiter) {
            m_waiter = nullptr;
        }
        if (waiter->waker) {
            // A wake posted before the lock was taken here must not run.
            QCoreApplication::removePostedEvents(waiter->waker);
        }
    }

    std::mutex &lock() { return m_mutex; }

private:
    bool takeLocked(std::optional<T> &slot)
    {
        if (!m_buffer.empty()) {
            slot = std::move(m_buffer.front());
            m_buffer.pop_front();
            return true;
        }
        return m_finished || m_ended;
    }

    void close(bool dropBuffered)
    {
        std::function<void()> onTermination;
        {
            std::lock_guard lock(m_mutex);
            if (dropBuffered) {
                m_buffer.clear();
            }
            if (m_finished || m_ended) {
                m_ended = m_ended || dropBuffered;
                return;
            }
            (dropBuffered ? m_ended : m_finished) = true;
            if (m_waiter) {
                wakeLocked();
            }
            onTermination = std::exchange(m_onTermination, nullptr);
        }
        if (onTermination) {
            onTermination();
        }
    }

    void wakeLocked()
    {
        Waiter *waiter = std::exchange(m_waiter, nullptr);
        // Posted under the lock so that abandon() either sees it and removes it or comes first.
        waiter->waker->post();
    }

    std::mutex m_mutex;
    std::deque<T> m_buffer;
    Waiter *m_waiter = nullptr;
    bool m_finished = false;
    bool m_ended = false;
    std::function<void()> m_onTermination;
};

// A function that ends the channel from any thread, as its consumer going away does; it does not
// keep the channel alive.
template<class T>
std::function<void()> channelEnder(const std::shared_ptr<AsyncChannel<T>> &channel)
{
    return [weak = std::weak_ptr<AsyncChannel<T>>(channel)] {
        if (const auto strong = weak.lock()) {
            strong->end();
        }
    };
}

// Awaiting it gives the channel's next value, or none once the channel is over. Destroying a
// coroutine suspended on it is safe: the pending resume is withdrawn.
template<class T>
class AsyncChannelNext
{
public:
    explicit AsyncChannelNext(std::shared_ptr<AsyncChannel<T>> channel)
        : m_channel(std::move(channel))
    {
        m_waiter.slot = &m_value;
    }
    // Moved only before it is awaited (the compiler may move it into place).
    AsyncChannelNext(AsyncChannelNext &&other) noexcept
        : m_channel(std::move(other.m_channel))
        , m_value(std::move(other.m_value))
    {
        m_waiter.slot = &m_value;
    }
    AsyncChannelNext(const AsyncChannelNext &) = delete;
    AsyncChannelNext &operator=(const AsyncChannelNext &) = delete;
    AsyncChannelNext &operator=(AsyncChannelNext &&) = delete;
    ~AsyncChannelNext()
    {
        if (m_channel) {
            m_channel->abandon(&m_waiter);
        }
        if (m_waiter.waker) {
            // This may run inside the waker's own event handler.
            m_waiter.waker->deleteLater();
        }
    }

    // The awaiter is a separate, trivial object: GCC 12 may destroy an awaiter that is itself the
    // temporary of a co_await twice.
    struct Awaiter
    {
        AsyncChannelNext *next;

        bool await_ready() const { return !next->m_channel || next->m_channel->take(next->m_value); }
        bool await_suspend(std::coroutine_handle<> handle) const
        {
            next->m_waiter.waker = new ConsumerWaker(handle, next->m_channel->lock());
            return next->m_channel->suspend(&next->m_waiter);
        }
        std::optional<T> await_resume() const { return std::move(next->m_value); }
    };
    Awaiter operator co_await() { return Awaiter { this }; }

private:
    std::shared_ptr<AsyncChannel<T>> m_channel;
    typename AsyncChannel<T>::Waiter m_waiter;
    std::optional<T> m_value;
};

// An iterator of a channel, for the sequences built on one; copies share the channel.
template<class T>
class AsyncChannelIterator
{
public:
    explicit AsyncChannelIterator(std::shared_ptr<AsyncChannel<T>> channel)
        : m_channel(std::move(channel))
    { }

    AsyncChannelNext<T> next() { return AsyncChannelNext<T>(m_channel); }

    // Ends the stream for good, as its consumer going away does.
    std::function<void()> canceller() const { return channelEnder(m_channel); }

private:
    std::shared_ptr<AsyncChannel<T>> m_channel;
};
