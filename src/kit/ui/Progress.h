#pragma once

#include <QObject>

#include <functional>
#include <mutex>

// How far a task has come, for whoever follows it: completed units of a total, and whether it
// was cancelled. It is finished once every unit is done. Any thread may change it; the signals
// are sent on the changing thread.
class Progress : public QObject
{
    Q_OBJECT

public:
    explicit Progress(qint64 totalUnitCount = 0, QObject *parent = nullptr);

    qint64 totalUnitCount() const;
    qint64 completedUnitCount() const;
    // Completed over total; 0 while the total is unknown (0 or less).
    double fractionCompleted() const;
    bool isFinished() const;
    bool isCancelled() const;

    void setTotalUnitCount(qint64 count);
    void setCompletedUnitCount(qint64 count);
    void cancel();

Q_SIGNALS:
    void fractionCompletedChanged(double fraction);
    void finishedChanged(bool finished);
    void cancelled();

private:
    void change(const std::function<void()> &mutate);

    mutable std::mutex m_lock;
    qint64 m_total;
    qint64 m_completed = 0;
    bool m_cancelled = false;
};
