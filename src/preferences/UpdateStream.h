#pragma once

#include "preferences/ConsumerWaker.h"

#include <QCoreApplication>

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>

namespace Defaults {

namespace Detail {

// The buffer between producers on any thread and one consumer coroutine. A suspended consumer
// is resumed through its thread's event loop, never inside the producer's call.
template<class V>
class UpdateChannel
{
public:
    struct Waiter
    {
        std::optional<V> *slot = nullptr;
        // Lives on the consumer's thread; an event posted to it resumes the consumer.
        ConsumerWaker *waker = nullptr;
    };

    // Keeps the value until it is taken; nothing once the stream has ended.
    void yield(V value)
    {
        std::lock_guard lock(m_mutex);
        if (m_ended) {
            return;
        }
        if (m_waiter) {
            *m_waiter->slot = std::move(value);
            wakeLocked();
        } else {
            m_buffer.push_back(std::move(value));
        }
    }

    // Ends the stream from the consumer's side: a waiting consumer gets none, and the
    // termination handler runs once.
    void end()
    {
        std::function<void()> onTermination;
        {
            std::lock_guard lock(m_mutex);
            if (m_ended) {
                return;
            }
            m_ended = true;
            m_buffer.clear();
            if (m_waiter) {
                wakeLocked();
            }
            onTermination = std::exchange(m_onTermination, nullptr);
        }
        if (onTermination) {
            onTermination();
        }
    }

    void setOnTermination(std::function<void()> handler)
    {
        std::unique_lock lock(m_mutex);
        if (!m_ended) {
            m_onTermination = std::move(handler);
            return;
        }
        lock.unlock();
        handler();
    }

    // True when no suspension is needed: a buffered value was taken, or the stream has ended.
    bool take(std::optional<V> &slot)
    {
        std::lock_guard lock(m_mutex);
        if (!m_buffer.empty()) {
            slot = std::move(m_buffer.front());
            m_buffer.pop_front();
            return true;
        }
        return m_ended;
    }

    // False when a value or the end arrived meanwhile, so the consumer goes on at once. One
    // consumer at a time: a second one waiting is refused with std::logic_error.
    bool suspend(Waiter *waiter)
    {
        std::lock_guard lock(m_mutex);
        if (!m_buffer.empty()) {
            *waiter->slot = std::move(m_buffer.front());
            m_buffer.pop_front();
            return false;
        }
        if (m_ended) {
            return false;
        }
        if (m_waiter) {
            throw std::logic_error("UpdateStream: another consumer is already waiting");
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
    void wakeLocked()
    {
        Waiter *waiter = std::exchange(m_waiter, nullptr);
        // Posted under the lock so that abandon() either sees it and removes it or comes first.
        waiter->waker->post();
    }

    std::mutex m_mutex;
    std::deque<V> m_buffer;
    Waiter *m_waiter = nullptr;
    bool m_ended = false;
    std::function<void()> m_onTermination;
};

} // namespace Detail

// The values of a key, as a coroutine stream with an unbounded buffer: producers on any thread
// never block, nothing is dropped. One consumer at a time awaits next() on a thread that runs a
// Qt event loop; it is resumed there on a later turn. The stream ends only from the consumer's
// side: cancel(), destroying the stream, or destroying a coroutine suspended in next(); its
// observation stops then.
//
//     while (std::optional<bool> value = co_await stream.next()) { ... }
template<class V>
class UpdateStream
{
public:
    class Next
    {
    public:
        explicit Next(std::shared_ptr<Detail::UpdateChannel<V>> channel)
            : m_channel(std::move(channel))
        {
            m_waiter.slot = &m_value;
        }
        // Moved only before it is awaited (the compiler may move it into place).
        Next(Next &&other) noexcept
            : m_channel(std::move(other.m_channel))
            , m_value(std::move(other.m_value))
        {
            m_waiter.slot = &m_value;
        }
        Next(const Next &) = delete;
        Next &operator=(const Next &) = delete;
        Next &operator=(Next &&) = delete;
        ~Next()
        {
            if (m_channel) {
                m_channel->abandon(&m_waiter);
            }
            if (m_waiter.waker) {
                // This may run inside the waker's own event handler.
                m_waiter.waker->deleteLater();
            }
        }

        bool await_ready() { return !m_channel || m_channel->take(m_value); }
        bool await_suspend(std::coroutine_handle<> handle)
        {
            m_waiter.waker = new Detail::ConsumerWaker(handle, m_channel->lock());
            return m_channel->suspend(&m_waiter);
        }
        std::optional<V> await_resume() { return std::move(m_value); }

    private:
        std::shared_ptr<Detail::UpdateChannel<V>> m_channel;
        typename Detail::UpdateChannel<V>::Waiter m_waiter;
        std::optional<V> m_value;
    };

    explicit UpdateStream(std::shared_ptr<Detail::UpdateChannel<V>> channel)
        : m_channel(std::move(channel))
    { }
    UpdateStream(UpdateStream &&) noexcept = default;
    UpdateStream &operator=(UpdateStream &&other) noexcept
    {
        if (this != &other) {
            cancel();
            m_channel = std::move(other.m_channel);
        }
        return *this;
    }
    UpdateStream(const UpdateStream &) = delete;
    UpdateStream &operator=(const UpdateStream &) = delete;
    ~UpdateStream() { cancel(); }

    // The next value; none once the stream has ended.
    Next next() const { return Next(m_channel); }

    void cancel()
    {
        if (m_channel) {
            m_channel->end();
        }
    }

    // Ends the stream from anywhere, also after the stream object moved into a coroutine.
    std::function<void()> canceller() const
    {
        return [weak = std::weak_ptr<Detail::UpdateChannel<V>>(m_channel)] {
            if (const auto channel = weak.lock()) {
                channel->end();
            }
        };
    }

private:
    std::shared_ptr<Detail::UpdateChannel<V>> m_channel;
};

} // namespace Defaults
