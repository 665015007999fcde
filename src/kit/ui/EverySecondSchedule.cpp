#include "kit/ui/EverySecondSchedule.h"

PeriodicSchedule::PeriodicSchedule(QDateTime start, std::chrono::milliseconds interval)
    : m_start(std::move(start))
    , m_interval(std::max(interval, std::chrono::milliseconds(1)))
{ }

PeriodicSchedule::Entries::Entries(QDateTime first, std::chrono::milliseconds interval)
    : m_next(std::move(first))
    , m_interval(interval)
{ }

QDateTime PeriodicSchedule::Entries::next()
{
    QDateTime current = m_next;
    m_next = m_next.addMSecs(m_interval.count());
    return current;
}

PeriodicSchedule::Entries PeriodicSchedule::entries(const QDateTime &from) const
{
    const qint64 elapsed = m_start.msecsTo(from);
    if (elapsed <= 0) {
        return Entries(m_start, m_interval);
    }
    const qint64 steps = elapsed / m_interval.count();
    return Entries(m_start.addMSecs(steps * m_interval.count()), m_interval);
}

EverySecondSchedule::EverySecondSchedule(Clock now)
    : m_now(std::move(now))
{ }

std::chrono::milliseconds EverySecondSchedule::interval(TimelineMode mode)
{
    using namespace std::chrono_literals;
    return mode == TimelineMode::lowFrequency ? std::chrono::milliseconds(30s)
                                              : std::chrono::milliseconds(1s);
}

PeriodicSchedule::Entries EverySecondSchedule::entries(const QDateTime &from, TimelineMode mode) const
{
    return PeriodicSchedule(m_now(), interval(mode)).entries(from);
}

TimelineTicker::TimelineTicker(EverySecondSchedule schedule, Tick tick, QObject *parent)
    : QObject(parent)
    , m_schedule(std::move(schedule))
    , m_tick(std::move(tick))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QDateTime entry = m_pending;
        scheduleNext();
        m_tick(entry);
    });
    restart();
}

void TimelineTicker::setMode(TimelineMode mode)
{
    if (mode == m_mode) {
        return;
    }
    m_mode = mode;
    restart();
}

void TimelineTicker::restart()
{
    m_origin = m_schedule.now();
    m_sinceOrigin.start();
    m_entries = m_schedule.entries(m_origin, m_mode);
    scheduleNext();
}

void TimelineTicker::scheduleNext()
{
    const qint64 elapsed = m_sinceOrigin.elapsed();
    // Entries already past are skipped: a busy loop must not fire a burst.
    do {
        m_pending = m_entries->next();
    } while (m_origin.msecsTo(m_pending) <= elapsed);
    m_timer.start(std::chrono::milliseconds(m_origin.msecsTo(m_pending) - elapsed));
}
