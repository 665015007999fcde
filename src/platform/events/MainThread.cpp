#include "platform/events/MainThread.h"

#include "platform/events/ThreadHandoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QPointer>
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

// Receives the work on the GUI thread; goes with the application, and with it the work still
// pending.
class WorkReceiver : public QObject
{
public:
    bool event(QEvent *event) override
    {
        takeOver();
        if (event->type() != WorkEvent::type()) {
            return QObject::event(event);
        }
        static_cast<const WorkEvent *>(event)->run();
        return true;
    }
};

WorkReceiver *receiverFor(QCoreApplication *app)
{
    static std::mutex guard;
    static QPointer<WorkReceiver> receiver;
    static QCoreApplication *receiverApp = nullptr;
    const std::lock_guard lock(guard);
    if (receiver == nullptr || receiverApp != app) {
        // Made for the GUI thread by whichever thread asks first.
        auto *made = new WorkReceiver;
        made->moveToThread(app->thread());
        QObject::connect(app, &QObject::destroyed, [made] { delete made; });
        receiver = made;
        receiverApp = app;
    }
    return receiver;
}

} // namespace

void runOnMain(std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (app == nullptr) {
        qCWarning(lcMainThread) << "no application object: work for the GUI thread was dropped";
        return;
    }
    auto *work = new WorkEvent(std::move(fn));
    handOver();
    QCoreApplication::postEvent(receiverFor(app), work);
}

void MainThreadHop::await_suspend(std::coroutine_handle<> continuation) const
{
    runOnMain([continuation] { continuation.resume(); });
}

} // namespace Events
