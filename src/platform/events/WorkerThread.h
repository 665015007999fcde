#pragma once

#include "platform/events/MainThread.h"
#include "platform/events/ThreadHandoff.h"

#include <QThreadPool>

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace Events {

// Awaitable that runs `work` on a pool thread and continues the coroutine on the GUI thread with
// its result, or rethrows there what it threw. Like runOnMain, the continuation is dropped once
// the application object is gone.
//     auto work = [=] { return copy(source, target); };
//     const QUrl saved = co_await Events::onWorkerThread(std::move(work));
// Name the lambda first: GCC 12 destroys a lambda written inside a co_await expression twice.
template<typename Work>
class WorkerThreadAwaiter
{
public:
    using Result = std::invoke_result_t<Work>;

    explicit WorkerThreadAwaiter(Work work)
        : m_work(std::move(work))
    { }

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> continuation)
    {
        std::function<void()> job = [work = std::move(m_work), state = m_state, continuation]() mutable {
            takeOver();
            try {
                if constexpr (std::is_void_v<Result>) {
                    work();
                } else {
                    state->value.emplace(work());
                }
            } catch (...) {
                state->error = std::current_exception();
            }
            runOnMain([continuation] { continuation.resume(); });
        };
        handOver();
        QThreadPool::globalInstance()->start(std::move(job));
    }

    Result await_resume()
    {
        if (m_state->error) {
            std::rethrow_exception(m_state->error);
        }
        if constexpr (!std::is_void_v<Result>) {
            return std::move(*m_state->value);
        }
    }

private:
    struct State
    {
        std::optional<std::conditional_t<std::is_void_v<Result>, std::monostate, Result>> value;
        std::exception_ptr error;
    };

    Work m_work;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

template<typename Work>
WorkerThreadAwaiter<Work> onWorkerThread(Work work)
{
    return WorkerThreadAwaiter<Work>(std::move(work));
}

} // namespace Events
