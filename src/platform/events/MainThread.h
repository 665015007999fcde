#pragma once

#include <QtGlobal>

#include <coroutine>
#include <functional>

namespace Events {

// True on the thread that runs the application's (GUI) event loop.
bool isMainThread();
// True there, and on any thread while there is no application object yet.
bool mayTouchGuiState();

// Runs `fn` on the GUI thread on a later turn of its event loop, also when
// called from the GUI thread itself. Calls from one thread run in the order
// made. Needs a QCoreApplication; without one `fn` is dropped with a warning.
// Once the application object begins to go away, `fn` is dropped, and so is
// work still queued: nothing runs on a half-destroyed application.
void runOnMain(std::function<void()> fn);

// Awaitable that continues a coroutine on the GUI thread: at once when it
// already runs there, otherwise on a later turn of the GUI event loop (so,
// like runOnMain, it needs a QCoreApplication whose loop runs).
//     co_await Events::resumeOnMain();
class MainThreadHop
{
public:
    bool await_ready() const noexcept { return isMainThread(); }
    void await_suspend(std::coroutine_handle<> continuation) const;
    void await_resume() const noexcept { }
};

inline MainThreadHop resumeOnMain()
{
    return {};
}

} // namespace Events

// At the entry points of what may only be used on the GUI thread: builds with assertions (debug
// builds and the tests' build) stop there when called from another thread; others check nothing.
#define ASSERT_MAIN_THREAD()                                                                                 \
    Q_ASSERT_X(::Events::mayTouchGuiState(), Q_FUNC_INFO, "called off the GUI thread")
