#pragma once

#include "kit/foundation/time/Duration.h"
#include "kit/foundation/time/KwDuration.h"

#include <QTimer>

#include <functional>
#include <memory>

// Timers with an interval given as a span. Qt timers count whole
// milliseconds: the interval is rounded to the nearest one and kept within
// 0 ms … INT_MAX ms. The block gets the timer, so that it can stop it.
namespace DurationTimers {

// Either kind of span, as the interval a Qt timer can take.
class Interval
{
public:
    Interval(KwDuration span);
    Interval(Duration span);
    std::chrono::milliseconds milliseconds() const { return m_milliseconds; }

private:
    std::chrono::milliseconds m_milliseconds;
};

using Block = std::function<void(QTimer &)>;

// Not started; start() it when wanted.
std::unique_ptr<QTimer> make(Interval interval, bool repeats, Block block);
// Already running on the calling thread's event loop.
std::unique_ptr<QTimer> scheduled(Interval interval, bool repeats, Block block);

} // namespace DurationTimers
