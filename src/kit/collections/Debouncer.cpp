#include "kit/collections/Debouncer.h"

#include <algorithm>
#include <climits>

Debouncer::Debouncer(std::chrono::nanoseconds delay)
    : m_delay(delay)
{ }

Debouncer::~Debouncer() = default;

void Debouncer::call(std::function<void()> work)
{
    cancel();
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    // Round up: work must never run before its delay is over.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(std::max(m_delay, m_delay.zero()));
    timer->setInterval(static_cast<int>(std::min<std::int64_t>(milliseconds.count(), INT_MAX)));
    QObject::connect(timer.get(), &QTimer::timeout, [this, work = std::move(work)] {
        // The timer is this work's only owner of record; release it after the run, not during.
        std::unique_ptr<QTimer> finished = std::move(m_workItem);
        finished.release()->deleteLater();
        work();
    });
    timer->start();
    m_workItem = std::move(timer);
}

void Debouncer::cancel()
{
    m_workItem.reset();
}
