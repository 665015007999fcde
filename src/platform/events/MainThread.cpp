#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>

#include <exception>
#include <utility>

namespace Events {

Q_LOGGING_CATEGORY(lcMainThread, "tapewick.events")

bool isMainThread()
{
    const auto *app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void runOnMain(std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (app == nullptr) {
        qCWarning(lcMainThread) << "no application object: work for the GUI thread was dropped";
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [fn = std::move(fn)] {
            // An exception must not unwind through Qt's event loop.
            try {
                fn();
            } catch (const std::exception &error) {
                qCCritical(lcMainThread) << "work on the GUI thread threw:" << error.what();
            } catch (...) {
                qCCritical(lcMainThread) << "work on the GUI thread threw an unknown exception";
            }
        },
        Qt::QueuedConnection);
}

void MainThreadHop::await_suspend(std::coroutine_handle<> continuation) const
{
    runOnMain([continuation] { continuation.resume(); });
}

} // namespace Events
