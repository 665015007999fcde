#include "platform/events/MainThread.h"

#include "platform/events/ThreadHandoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QThread>

#include <exception>
#include <mutex>
#include <utility>

namespace Events {

Q_LOGGING_CATEGORY(lcMainThread, "tapewick.events")

bool isMainThread()
{
    const auto *app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

bool mayTouchGuiState()
{
    return QCoreApplication::instance() == nullptr || isMainThread();
}

namespace {

// Work for the GUI thread travels as a posted event: it is built before Qt takes it, so the
// hand-over can be marked for a thread-sanitizer build (a queued functor call is built inside Qt).
class WorkEvent : public QEvent
{
public:
    static QEvent::Type type()
    {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }

    explicit WorkEvent(std::function<void()> work)
        : QEvent(type())
        , m_work(std::move(work))
    { }

    void run() const
    {
        // An exception must not unwind through Qt's event loop.
        try {
            m_work();
        } catch (const std::exception &error) {
            qCCritical(lcMainThread) << "work on the GUI thread threw:" << error.what();
        } catch (...) {
            qCCritical(lcMainThread) << "work on the GUI thread threw an unknown exception";
        }
    }

private:
    std::function<void()> m_work;
};

// Work is posted under this lock. Once the application object begins to go away the gate closes:
// nothing more is posted to it, and what is still queued is dropped rather than run.
struct Gate
{
    std::mutex mutex;
    QCoreApplication *app = nullptr;
    QObject *receiver = nullptr;
    bool closing = false;
    bool everOpened = false;
};

Gate &gate()
{
    static Gate instance;
    return instance;
}

// Receives the work on the GUI thread; goes with the application.
class WorkReceiver : public QObject
{
public:
    bool event(QEvent *event) override
    {
        takeOver();
        if (event->type() != WorkEvent::type()) {
            return QObject::event(event);
        }
        {
            const std::lock_guard lock(gate().mutex);
            if (gate().closing) {
                return true;
            }
        }
        static_cast<const WorkEvent *>(event)->run();
        return true;
    }
};

// Called with the gate locked, from whichever thread posts first for this application.
void open(Gate &state, QCoreApplication *app)
{
    auto *made = new WorkReceiver;
    made->moveToThread(app->thread());
    state.app = app;
    state.receiver = made;
    state.closing = false;
    state.everOpened = true;
    // Post routines run as the application object starts going away, before it is unset.
    qAddPostRoutine([] {
        const std::lock_guard lock(gate().mutex);
        gate().closing = true;
    });
    QObject::connect(app, &QObject::destroyed, [made] {
        {
            const std::lock_guard lock(gate().mutex);
            gate().app = nullptr;
            gate().receiver = nullptr;
            gate().closing = false;
        }
        delete made;
    });
}

} // namespace

void runOnMain(std::function<void()> fn)
{
    Gate &state = gate();
    const std::lock_guard lock(state.mutex);
    // Read only while the gate is open: the application is unset after it closes.
    auto *app = state.closing ? nullptr : QCoreApplication::instance();
    if (app == nullptr) {
        // Completions of background work arriving after the application are expected.
        if (!state.everOpened) {
            qCWarning(lcMainThread) << "no application object: work for the GUI thread was dropped";
        }
        return;
    }
    if (state.app != app) {
        open(state, app);
    }
    auto *work = new WorkEvent(std::move(fn));
    handOver();
    QCoreApplication::postEvent(state.receiver, work);
}

void MainThreadHop::await_suspend(std::coroutine_handle<> continuation) const
{
    runOnMain([continuation] { continuation.resume(); });
}

} // namespace Events
