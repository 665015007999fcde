#pragma once

#include "kit/foundation/time/Duration.h"
#include "platform/events/AnyPublisher.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/Void.h"

#include <QTimer>

#include <memory>

// A repeating tick that can be paused. A new subscriber gets one tick at once; pausing gives
// one last tick, resuming one tick at once. Ticks come on the GUI thread's event loop, also
// while a menu is open. GUI thread only.
class PausableRepeatingTimer
{
public:
    explicit PausableRepeatingTimer(Duration interval);
    ~PausableRepeatingTimer();
    PausableRepeatingTimer(const PausableRepeatingTimer &) = delete;
    PausableRepeatingTimer &operator=(const PausableRepeatingTimer &) = delete;

    Events::AnyPublisher<Events::Void, Events::Never> publisher() const { return m_publisher; }
    Duration interval() const { return m_interval; }
    bool isPaused() const { return m_isPaused; }

    void pause();
    void resume();
    // One tick now, when there is a running or stopped-but-kept timer.
    void fire();
    // Stops ticking but keeps the timer, so fire() still ticks.
    void invalidate();

private:
    // A timer may be dropped from a handler of its own tick, so it is deleted from the event loop.
    struct LaterDeleter
    {
        void operator()(QTimer *timer) const;
    };

    void schedule();

    Duration m_interval;
    std::unique_ptr<QTimer, LaterDeleter> m_timer;
    Events::CurrentValueSubject<Events::Void> m_subject { Events::Void {} };
    Events::AnyPublisher<Events::Void, Events::Never> m_publisher;
    bool m_isPaused = false;
};
