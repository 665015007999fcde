#pragma once

#include <QEvent>
#include <QObject>

#include <coroutine>
#include <mutex>

// Resumes a suspended consumer on its own thread. It is made there, so a producer only posts it
// an event (under the producer's lock). Handling it takes that lock first, so that what the
// producer wrote under it is visible to the resumed consumer, also to tools that cannot see
// inside Qt's event queue.
class ConsumerWaker : public QObject
{
public:
    ConsumerWaker(std::coroutine_handle<> consumer, std::mutex &producerLock)
        : m_consumer(consumer)
        , m_producerLock(producerLock)
    { }

    // Call with the producer's lock held.
    void post();

protected:
    void customEvent(QEvent *event) override;

private:
    static QEvent::Type wakeEventType();

    std::coroutine_handle<> m_consumer;
    std::mutex &m_producerLock;
};
