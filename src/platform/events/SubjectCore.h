#pragma once

#include "platform/events/AnyCancellable.h"
#include "platform/events/Completion.h"
#include "platform/events/Subscriber.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Events {

// The shared state behind PassthroughSubject and CurrentValueSubject.
//
// Delivery order: every event (value, completion, the current value replayed
// to a new subscriber) goes through one queue per subject. Whoever finds the
// subject idle delivers the queue until it is empty; an event sent while a
// delivery is under way - from a subscriber on the same thread, or from
// another thread - is queued and delivered by the thread already delivering,
// once the event in hand has reached every subscriber. So each subscriber
// sees one subject's events in one order, sends never block on subscribers,
// and no lock is held while a subscriber runs.
template<typename T, typename E>
class SubjectCore : public std::enable_shared_from_this<SubjectCore<T, E>>
{
public:
    explicit SubjectCore(std::optional<T> current = std::nullopt)
        : m_current(std::move(current))
    { }

    void sendValue(T value)
    {
        const auto keepAlive = this->shared_from_this();
        std::unique_lock lock(m_mutex);
        if (m_completion) {
            return;
        }
        if (m_current) {
            *m_current = value;
        }
        m_queue.push_back(Event { std::move(value), std::nullopt, nullptr, ++m_lastSequence });
        drain(lock);
    }

    void sendCompletion(Completion<E> completion)
    {
        const auto keepAlive = this->shared_from_this();
        std::unique_lock lock(m_mutex);
        if (m_completion) {
            return;
        }
        m_completion = completion;
        m_queue.push_back(Event { std::nullopt, std::move(completion), nullptr, ++m_lastSequence });
        drain(lock);
    }

    // A subject that keeps a current value replays it to each new subscriber;
    // a completed subject gives a new subscriber its completion only.
    AnyCancellable subscribe(Subscriber<T, E> subscriber)
    {
        if (!subscriber.receiveCompletion) {
            subscriber.receiveCompletion = [](const Completion<E> &) {};
        }
        const auto keepAlive = this->shared_from_this();
        auto slot = std::make_shared<Slot>(std::move(subscriber));
        std::unique_lock lock(m_mutex);
        slot->joinedAfter = m_lastSequence;
        if (m_completion) {
            m_queue.push_back(Event { std::nullopt, *m_completion, slot, 0 });
        } else {
            m_slots.push_back(slot);
            if (m_current) {
                m_queue.push_back(Event { *m_current, std::nullopt, slot, 0 });
            }
        }
        drain(lock);
        lock.unlock();
        return AnyCancellable([weakCore = this->weak_from_this(), weakSlot = std::weak_ptr<Slot>(slot)] {
            auto slot = weakSlot.lock();
            if (!slot) {
                return;
            }
            slot->cancelled = true;
            if (auto core = weakCore.lock()) {
                core->remove(slot.get());
            }
        });
    }

    std::optional<T> current() const
    {
        std::lock_guard lock(m_mutex);
        return m_current;
    }

private:
    struct Slot
    {
        explicit Slot(Subscriber<T, E> subscriber)
            : subscriber(std::move(subscriber))
        { }
        Subscriber<T, E> subscriber;
        // Broadcast events up to this sequence number were sent before the
        // subscription and are not for it.
        std::uint64_t joinedAfter = 0;
        std::atomic<bool> cancelled { false };
    };

    struct Event
    {
        std::optional<T> value;
        std::optional<Completion<E>> completion;
        std::shared_ptr<Slot> target; // only this subscriber; none: every subscriber
        std::uint64_t sequence;
    };

    void remove(const Slot *slot)
    {
        std::shared_ptr<Slot> removed;
        std::lock_guard lock(m_mutex);
        for (auto it = m_slots.begin(); it != m_slots.end(); ++it) {
            if (it->get() == slot) {
                removed = std::move(*it);
                m_slots.erase(it);
                break;
            }
        }
        // The caller still holds the slot, so its handlers are not destroyed
        // under the lock.
    }

    // Callers hold a reference to this core: a subscriber may destroy the
    // subject that calls it.
    void drain(std::unique_lock<std::mutex> &lock)
    {
        if (m_draining) {
            return;
        }
        m_draining = true;
        try {
            while (!m_queue.empty()) {
                deliverFront(lock);
            }
        } catch (...) {
            if (!lock.owns_lock()) {
                lock.lock();
            }
            m_draining = false;
            throw;
        }
        m_draining = false;
    }

    void deliverFront(std::unique_lock<std::mutex> &lock)
    {
        Event event = std::move(m_queue.front());
        m_queue.pop_front();
        std::vector<std::shared_ptr<Slot>> recipients;
        if (event.target) {
            recipients.push_back(event.target);
        } else if (event.completion) {
            // Nothing is delivered after a completion: the subscribers go.
            recipients = std::exchange(m_slots, {});
        } else {
            recipients.reserve(m_slots.size());
            for (const auto &slot : m_slots) {
                if (slot->joinedAfter < event.sequence) {
                    recipients.push_back(slot);
                }
            }
        }
        lock.unlock();
        for (const auto &slot : recipients) {
            if (slot->cancelled) {
                continue;
            }
            if (event.value) {
                slot->subscriber.receiveValue(*event.value);
            } else {
                slot->cancelled = true;
                slot->subscriber.receiveCompletion(*event.completion);
            }
        }
        // Handlers and values are released before the lock is taken again.
        recipients.clear();
        event = Event {};
        lock.lock();
    }

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Slot>> m_slots;
    std::deque<Event> m_queue;
    std::optional<T> m_current;
    std::optional<Completion<E>> m_completion;
    std::uint64_t m_lastSequence = 0;
    bool m_draining = false;
};

} // namespace Events
