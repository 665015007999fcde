#pragma once

#include "kit/collections/ObservableObject.h"

#include <chrono>
#include <memory>
#include <optional>

class QTimer;

// Makes whoever shows it draw again at every tick: objectWillChange fires, then value() flips,
// starting from true. The timer runs on the GUI thread and keeps ticking while a menu is open or
// a window is resized; destroying the ViewTimer stops it. Make and destroy it on the GUI thread.
class ViewTimer
{
public:
    explicit ViewTimer(
        std::chrono::nanoseconds interval, std::optional<std::chrono::nanoseconds> tolerance = std::nullopt);
    ~ViewTimer();
    ViewTimer(const ViewTimer &) = delete;
    ViewTimer &operator=(const ViewTimer &) = delete;

    // Always false: only the ticks matter.
    bool wrappedValue() const { return false; }
    bool value() const;

    // In seconds, through whole nanoseconds (the longest span reads 9,223,372,036.854776 s).
    double interval() const { return m_interval; }
    std::optional<double> tolerance() const { return m_tolerance; }
    // What the timer is set to: milliseconds, at least 1 and at most the timer's limit of about
    // 24.8 days, which longer intervals are cut to.
    int timerInterval() const;

    Events::AnyPublisher<Events::Void> objectWillChange() const;

    static double seconds(std::chrono::nanoseconds duration);

private:
    struct Observable;

    double m_interval;
    std::optional<double> m_tolerance;
    std::unique_ptr<Observable> m_observable;
};
