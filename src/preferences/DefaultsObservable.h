#pragma once

#include "kit/collections/AsyncIterationStop.h"
#include "platform/events/AnyCancellable.h"
#include "platform/events/MainThread.h"
#include "platform/events/PassthroughSubject.h"
#include "preferences/DefaultsUpdates.h"

#include <QCoroTask>

#include <memory>

namespace Defaults {

// An observable object for one key: objectWillChange() signals on the GUI thread each time the
// stored value changes (once shortly after creation for the current value), and value() /
// setValue() read and write the key. Destroying it stops its loop and its observation.
template<DefaultsSerializable V>
class Observable
{
public:
    explicit Observable(Key<V> key)
        : m_key(std::move(key))
        , m_objectWillChange(std::make_shared<Events::PassthroughSubject<Events::Void>>())
        , m_loop(std::make_shared<AsyncIterationStop>())
    {
        Events::runOnMain([key = m_key, target = std::weak_ptr(m_objectWillChange), loop = m_loop] {
            run(key, target, loop);
        });
    }
    ~Observable() { m_loop->stop(); }
    Observable(const Observable &) = delete;
    Observable &operator=(const Observable &) = delete;

    const Key<V> &key() const { return m_key; }

    V value() const { return get(m_key); }

    // Signals before storing, on the caller's thread; the change notification that follows
    // signals once more from the loop.
    void setValue(const V &value)
    {
        m_objectWillChange->send();
        set(m_key, value);
    }

    Events::AnyPublisher<Events::Void> objectWillChange() const
    {
        return m_objectWillChange->eraseToAnyPublisher();
    }

private:
    using Signal = Events::PassthroughSubject<Events::Void>;

    static QCoro::Task<> run(
        Key<V> key, std::weak_ptr<Signal> target, std::shared_ptr<AsyncIterationStop> loop)
    {
        if (target.expired()) {
            co_return;
        }
        UpdateStream<V> stream = updateStream(key, true);
        // Cancelled before the loop could start: the stream is ended at once.
        loop->setIteratorCanceller(stream.canceller());
        if (loop->isStopped()) {
            co_return;
        }
        while (co_await stream.next()) {
            const std::shared_ptr<Signal> signal = target.lock();
            if (!signal) {
                co_return;
            }
            signal->send();
        }
    }

    Key<V> m_key;
    std::shared_ptr<Signal> m_objectWillChange;
    std::shared_ptr<AsyncIterationStop> m_loop;
};

} // namespace Defaults
