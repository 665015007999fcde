#include "kit/collections/ViewTimer.h"

#include "platform/events/MainThread.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

struct ViewTimer::Observable
{
    ObservableObjectPublisher objectWillChange;
    bool value = true;
    QTimer timer;
};

ViewTimer::ViewTimer(std::chrono::nanoseconds interval, std::optional<std::chrono::nanoseconds> tolerance)
    : m_interval(seconds(interval))
    , m_tolerance(tolerance ? std::optional(seconds(*tolerance)) : std::nullopt)
    , m_observable(std::make_unique<Observable>())
{
    ASSERT_MAIN_THREAD();
    QTimer &timer = m_observable->timer;
    // Without a tolerance the timer keeps to the interval; with one it may be coalesced.
    timer.setTimerType(m_tolerance ? Qt::CoarseTimer : Qt::PreciseTimer);
    timer.setInterval(timerInterval());
    Observable *observable = m_observable.get();
    QObject::connect(&timer, &QTimer::timeout, [observable] {
        observable->objectWillChange.send();
        observable->value = !observable->value;
    });
    timer.start();
}

ViewTimer::~ViewTimer() = default;

bool ViewTimer::value() const
{
    return m_observable->value;
}

int ViewTimer::timerInterval() const
{
    const double milliseconds = std::round(m_interval * 1000.0);
    return static_cast<int>(
        std::clamp(milliseconds, 1.0, static_cast<double>(std::numeric_limits<int>::max())));
}

Events::AnyPublisher<Events::Void> ViewTimer::objectWillChange() const
{
    return m_observable->objectWillChange.eraseToAnyPublisher();
}

double ViewTimer::seconds(std::chrono::nanoseconds duration)
{
    return static_cast<double>(duration.count()) / 1e9;
}
