#include "kit/ui/Progress.h"

namespace {

double fraction(qint64 total, qint64 completed)
{
    return total > 0 ? static_cast<double>(completed) / static_cast<double>(total) : 0.0;
}

bool finished(qint64 total, qint64 completed)
{
    return total > 0 && completed >= total;
}

} // namespace

Progress::Progress(qint64 totalUnitCount, QObject *parent)
    : QObject(parent)
    , m_total(totalUnitCount)
{ }

qint64 Progress::totalUnitCount() const
{
    std::lock_guard lock(m_lock);
    return m_total;
}

qint64 Progress::completedUnitCount() const
{
    std::lock_guard lock(m_lock);
    return m_completed;
}

double Progress::fractionCompleted() const
{
    std::lock_guard lock(m_lock);
    return fraction(m_total, m_completed);
}

bool Progress::isFinished() const
{
    std::lock_guard lock(m_lock);
    return finished(m_total, m_completed);
}

bool Progress::isCancelled() const
{
    std::lock_guard lock(m_lock);
    return m_cancelled;
}

void Progress::setTotalUnitCount(qint64 count)
{
    change([&] { m_total = count; });
}

void Progress::setCompletedUnitCount(qint64 count)
{
    change([&] { m_completed = count; });
}

void Progress::cancel()
{
    {
        std::lock_guard lock(m_lock);
        if (m_cancelled) {
            return;
        }
        m_cancelled = true;
    }
    Q_EMIT cancelled();
}

void Progress::change(const std::function<void()> &mutate)
{
    double before = 0;
    double after = 0;
    bool wasFinished = false;
    bool isNowFinished = false;
    {
        std::lock_guard lock(m_lock);
        before = fraction(m_total, m_completed);
        wasFinished = finished(m_total, m_completed);
        mutate();
        after = fraction(m_total, m_completed);
        isNowFinished = finished(m_total, m_completed);
    }
    if (after != before) {
        Q_EMIT fractionCompletedChanged(after);
    }
    if (isNowFinished != wasFinished) {
        Q_EMIT finishedChanged(isNowFinished);
    }
}
