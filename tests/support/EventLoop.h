#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <chrono>
#include <functional>

namespace TestSupport {

// Runs the GUI thread's event loop until `done` holds or `timeout` passes;
// returns whether `done` held.
inline bool processEventsUntil(
    const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for `duration`, delivering everything that is queued.
inline void processEventsFor(std::chrono::milliseconds duration)
{
    processEventsUntil([] { return false; }, duration);
}

// Runs the event loop until a recorder has `recorded` at least `seconds` of audio; gives up five
// seconds after it should have got there.
inline bool recordUntil(const std::function<double()> &recorded, double seconds)
{
    return processEventsUntil([&] { return recorded() >= seconds; },
        std::chrono::milliseconds(static_cast<int>(seconds * 1000)) + std::chrono::seconds(5));
}

} // namespace TestSupport
