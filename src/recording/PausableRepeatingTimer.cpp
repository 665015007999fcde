#include "recording/PausableRepeatingTimer.h"

#include "platform/events/MainThread.h"

#include <chrono>

PausableRepeatingTimer::PausableRepeatingTimer(Duration interval)
    : m_interval(interval)
    , m_publisher(m_subject.eraseToAnyPublisher())
{
    ASSERT_MAIN_THREAD();
    schedule();
}

PausableRepeatingTimer::~PausableRepeatingTimer() = default;

void PausableRepeatingTimer::LaterDeleter::operator()(QTimer *timer) const
{
    timer->stop();
    QObject::disconnect(timer, nullptr, nullptr, nullptr);
    timer->deleteLater();
}

void PausableRepeatingTimer::pause()
{
    ASSERT_MAIN_THREAD();
    m_isPaused = true;
    fire();
    invalidate();
    m_timer.reset();
}

void PausableRepeatingTimer::resume()
{
    ASSERT_MAIN_THREAD();
    m_isPaused = false;
    schedule();
    fire();
}

void PausableRepeatingTimer::fire()
{
    ASSERT_MAIN_THREAD();
    if (m_timer) {
        m_subject.send();
    }
}

void PausableRepeatingTimer::invalidate()
{
    ASSERT_MAIN_THREAD();
    if (m_timer) {
        m_timer->stop();
    }
}

void PausableRepeatingTimer::schedule()
{
    invalidate();
    m_timer.reset(new QTimer);
    // Qt counts whole milliseconds; a finer interval would only be rounded anyway.
    m_timer->setInterval(std::chrono::round<std::chrono::milliseconds>(m_interval));
    m_timer->setTimerType(Qt::PreciseTimer);
    // The subject outlives the timer, which this object owns.
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { m_subject.send(); });
    m_timer->start();
}
