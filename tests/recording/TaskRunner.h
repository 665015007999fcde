#pragma once

#include "EventLoop.h"

#include "kit/foundation/Error.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <chrono>

namespace TaskRunner {

namespace Detail {
// A plain function, so that the frame owns its arguments (a lambda's captures would dangle).
inline QCoro::Task<> awaitInto(QCoro::Task<> task, bool *done, ErrorPtr *failure)
{
    try {
        co_await task;
    } catch (const Error &error) {
        *failure = error.clone();
    }
    *done = true;
}
} // namespace Detail

// Runs the task to its end on the event loop and returns the error it threw, if any; fails the
// test when it does not end within `timeout`.
inline ErrorPtr runToEnd(QCoro::Task<> task, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    bool done = false;
    ErrorPtr failure;
    QCoro::Task<> waiter = Detail::awaitInto(std::move(task), &done, &failure);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return done; }, timeout)) << "the task did not end";
    return failure;
}

} // namespace TaskRunner
