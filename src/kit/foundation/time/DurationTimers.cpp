#include "kit/foundation/time/DurationTimers.h"

#include "kit/foundation/values/SaturatingInt64.h"

#include <algorithm>
#include <climits>

namespace {

std::chrono::milliseconds clampedMilliseconds(std::int64_t milliseconds)
{
    return std::chrono::milliseconds(std::clamp<std::int64_t>(milliseconds, 0, INT_MAX));
}

} // namespace

DurationTimers::Interval::Interval(KwDuration span)
    : m_milliseconds(clampedMilliseconds(SaturatingInt64::fromDoubleRounding(span.seconds() * 1000)))
{ }

DurationTimers::Interval::Interval(Duration span)
    : m_milliseconds(clampedMilliseconds(toMilliseconds(span)))
{ }

std::unique_ptr<QTimer> DurationTimers::make(Interval interval, bool repeats, Block block)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(interval.milliseconds());
    timer->setSingleShot(!repeats);
    QTimer *raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, raw, [raw, block = std::move(block)] {
        if (block) {
            block(*raw);
        }
    });
    return timer;
}

std::unique_ptr<QTimer> DurationTimers::scheduled(Interval interval, bool repeats, Block block)
{
    auto timer = make(interval, repeats, std::move(block));
    timer->start();
    return timer;
}
