#include "kit/foundation/errors/ErrorPresentation.h"

#include "platform/events/MainThread.h"

#include "kit/foundation/system/FoundationHooks.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <coroutine>

namespace {

void presentOnGuiThread(ErrorPtr error, QPointer<QWidget> window, bool hadWindow)
{
    auto *application = QCoreApplication::instance();
    if (!application) {
        FoundationHooks::reportError(*error, {}, QStringLiteral(__FILE__), __LINE__);
        return;
    }
    QMetaObject::invokeMethod(
        application,
        [error = std::move(error), window, hadWindow] {
            // A window that has gone meanwhile leaves the application-modal form.
            QWidget *target = hadWindow ? window.data() : nullptr;
            if (!target) {
                FoundationHooks::activateApp();
            }
            FoundationHooks::presentError(error, target, {});
        },
        Qt::QueuedConnection);
}

struct Dismissal
{
    ErrorPtr error;
    QWidget *window;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        // Resumed from the event loop, not from inside the alert's own destruction.
        FoundationHooks::presentError(error, window, [handle] {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [handle] { handle.resume(); }, Qt::QueuedConnection);
        });
    }
    void await_resume() const noexcept { }
};

} // namespace

void presentAsModal(const Error &error)
{
    presentOnGuiThread(error.clone(), nullptr, false);
}

void presentAsSheet(const Error &error, QWidget *window)
{
    presentOnGuiThread(error.clone(), QPointer<QWidget>(window), window != nullptr);
}

QCoro::Task<> presentAsModalAsync(const Error &error, QWidget *window)
{
    ASSERT_MAIN_THREAD();
    const ErrorPtr copy = error.clone();
    if (!window) {
        FoundationHooks::activateApp();
    }
    // A named awaiter: GCC 12 can destroy a temporary inside co_await twice.
    Dismissal dismissal { copy, window };
    co_await dismissal;
}
