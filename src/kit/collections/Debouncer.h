#pragma once

#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

// Runs only the latest of a burst of calls, once `delay` has passed without a newer one. The
// work runs on the event loop of the thread that made the call; dropping the debouncer drops
// work still pending.
class Debouncer
{
public:
    explicit Debouncer(std::chrono::nanoseconds delay);
    ~Debouncer();
    Debouncer(const Debouncer &) = delete;
    Debouncer &operator=(const Debouncer &) = delete;

    std::chrono::nanoseconds delay() const { return m_delay; }

    // Replaces any pending work with `work` and starts the delay afresh.
    void call(std::function<void()> work);
    void cancel();
    bool isPending() const { return m_workItem != nullptr; }

private:
    std::chrono::nanoseconds m_delay;
    std::unique_ptr<QTimer> m_workItem;
};
