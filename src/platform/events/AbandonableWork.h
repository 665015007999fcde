#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <functional>

namespace Events {

// Pool work that waits on another process, such as a state change that waits on the sound server.
// It runs on threads of its own, which neither fill the application's pool nor hold its end: a
// server that stopped answering holds its work for ever, and the process ends without it.
class AbandonableWork
{
public:
    // Runs `work` on a pool thread; `what` names it should it be left behind. Any thread.
    static void start(const QString &what, std::function<void()> work);
    // Waits until no work is queued or running, at most until `deadline`; answers what is still
    // queued or running then, empty when all of it is done.
    static QStringList waitForDone(const QDeadlineTimer &deadline);
};

} // namespace Events
