#include "platform/events/AbandonableWork.h"

#include "platform/events/ThreadHandoff.h"

#include <QThreadPool>

#include <condition_variable>
#include <map>
#include <mutex>

namespace Events {

namespace {

// Most of this work waits rather than computes, and work stuck on a server must not keep the rest
// from starting: more threads than cores.
constexpr int maxThreads = 16;

struct Pending
{
    std::mutex mutex;
    std::condition_variable done;
    std::map<quint64, QString> work;
    quint64 last = 0;
};

// Never destroyed, like the pool: threads left stuck in it may still finish while the process ends.
Pending &pending()
{
    static auto *instance = new Pending;
    return *instance;
}

QThreadPool &pool()
{
    static QThreadPool *instance = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(maxThreads);
        return threads;
    }();
    return *instance;
}

} // namespace

void AbandonableWork::start(const QString &what, std::function<void()> work)
{
    Pending &state = pending();
    quint64 id = 0;
    {
        const std::lock_guard lock(state.mutex);
        id = ++state.last;
        state.work.emplace(id, what);
    }
    std::function<void()> job = [id, work = std::move(work)] {
        takeOver();
        work();
        Pending &state = pending();
        const std::lock_guard lock(state.mutex);
        state.work.erase(id);
        state.done.notify_all();
    };
    handOver();
    pool().start(std::move(job));
}

QStringList AbandonableWork::waitForDone(const QDeadlineTimer &deadline)
{
    Pending &state = pending();
    std::unique_lock lock(state.mutex);
    const auto finished = [&] { return state.work.empty(); };
    if (deadline.isForever()) {
        state.done.wait(lock, finished);
    } else {
        state.done.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), finished);
    }
    QStringList left;
    for (const auto &[id, what] : state.work) {
        left << what;
    }
    return left;
}

} // namespace Events
