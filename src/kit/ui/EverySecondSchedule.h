#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// How often a timeline may redraw: low frequency when the system wants to save work
// (a window in the background, a locked screen).
enum class TimelineMode { normal, lowFrequency };

// Moments `interval` apart, aligned to `start`.
class PeriodicSchedule
{
public:
    PeriodicSchedule(QDateTime start, std::chrono::milliseconds interval);

    // The entries from `from` on: the aligned moment at or before it (the start
    // itself when `from` is earlier), then one every interval.
    class Entries
    {
    public:
        QDateTime next();

    private:
        friend class PeriodicSchedule;
        Entries(QDateTime first, std::chrono::milliseconds interval);
        QDateTime m_next;
        std::chrono::milliseconds m_interval;
    };

    Entries entries(const QDateTime &from) const;

    const QDateTime &start() const { return m_start; }
    std::chrono::milliseconds interval() const { return m_interval; }

private:
    QDateTime m_start;
    std::chrono::milliseconds m_interval;
};

// Once a second, or every 30 seconds in the low-frequency mode, aligned to the
// moment the entries are asked for.
class EverySecondSchedule
{
public:
    using Clock = std::function<QDateTime()>;

    explicit EverySecondSchedule(Clock now = &QDateTime::currentDateTimeUtc);

    static std::chrono::milliseconds interval(TimelineMode mode);
    PeriodicSchedule::Entries entries(const QDateTime &from, TimelineMode mode) const;
    QDateTime now() const { return m_now(); }

private:
    Clock m_now;
};

// Calls `tick` at each entry of the schedule, the first one after the current moment
// onward, until destroyed. Changing the mode asks the schedule again. The entries are read from
// the schedule's clock once; the waits between them are measured on a monotonic clock, so
// setting the clock back or forward neither stalls nor hurries the ticks.
class TimelineTicker : public QObject
{
    Q_OBJECT
public:
    using Tick = std::function<void(const QDateTime &entry)>;

    TimelineTicker(EverySecondSchedule schedule, Tick tick, QObject *parent = nullptr);

    TimelineMode mode() const { return m_mode; }
    void setMode(TimelineMode mode);

private:
    void restart();
    void scheduleNext();

    EverySecondSchedule m_schedule;
    Tick m_tick;
    TimelineMode m_mode = TimelineMode::normal;
    std::optional<PeriodicSchedule::Entries> m_entries;
    // The schedule's clock when the entries were asked for, and the monotonic time since then.
    QDateTime m_origin;
    QElapsedTimer m_sinceOrigin;
    QDateTime m_pending;
    QTimer m_timer;
};
