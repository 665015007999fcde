#pragma once

#include "EventLoop.h"

#include "kit/foundation/errors/Error.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

// Runs a coroutine task on the event loop and keeps what it ended with.
class TaskRunner
{
public:
    explicit TaskRunner(QCoro::Task<> task)
        : m_waiter(awaitInto(std::move(task), m_state))
    { }

    bool isDone() const { return m_state->done; }

    // Waits for the end and returns the error the task threw, if any; fails the test when it
    // does not end within `timeout`.
    ErrorPtr wait(std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        EXPECT_TRUE(TestSupport::processEventsUntil([this] { return m_state->done; }, timeout))
            << "the task did not end";
        return m_state->failure;
    }

    static ErrorPtr runToEnd(QCoro::Task<> task, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        TaskRunner runner(std::move(task));
        return runner.wait(timeout);
    }

private:
    struct State
    {
        bool done = false;
        ErrorPtr failure;
    };

    // A plain function, so that the frame owns its arguments (a lambda's captures would dangle).
    static QCoro::Task<> awaitInto(QCoro::Task<> task, std::shared_ptr<State> state)
    {
        try {
            co_await task;
        } catch (const Error &error) {
            state->failure = error.clone();
        }
        state->done = true;
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
    QCoro::Task<> m_waiter;
};
