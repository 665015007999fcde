#include "kit/collections/ConsumerWaker.h"

#include <QCoreApplication>

QEvent::Type ConsumerWaker::wakeEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void ConsumerWaker::post()
{
    QCoreApplication::postEvent(this, new QEvent(wakeEventType()));
}

void ConsumerWaker::customEvent(QEvent *)
{
    // Only wake events are posted here; the event is read after the lock, if at all.
    {
        const std::lock_guard lock(m_producerLock);
    }
    m_consumer.resume();
}
