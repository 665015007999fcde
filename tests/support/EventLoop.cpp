#include "EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace TestSupport {

bool processEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
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

void processEventsFor(std::chrono::milliseconds duration)
{
    processEventsUntil([] { return false; }, duration);
}

bool recordUntil(const std::function<double()> &recorded, double seconds)
{
    return processEventsUntil([&] { return recorded() >= seconds; },
        std::chrono::milliseconds(static_cast<int>(seconds * 1000)) + std::chrono::seconds(5));
}

} // namespace TestSupport
