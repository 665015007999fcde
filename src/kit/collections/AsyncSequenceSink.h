#pragma once

#include "kit/collections/AsyncIterationStop.h"
#include "kit/collections/AsyncSequence.h"
#include "kit/collections/CollectionsHooks.h"

#include "platform/events/AnyCancellable.h"

#include <QCoro/QCoroTask>

#include "kit/collections/CancellationText.h"
#include <exception>
#include <functional>
#include <memory>

#include <source_location>
#include <type_traits>
#include <utility>

// Thrown by an asynchronous sequence whose consumer was cancelled; a subscription ends on it
// silently.
class AsyncCancellationError : public std::exception
{
public:
    const char *what() const noexcept override { return operationCancelledText; }
};

namespace AsyncSequenceSinkDetail {

template<AsyncSequence S, typename Handler>
QCoro::Task<> consume(
    S sequence, Handler handler, std::shared_ptr<AsyncIterationStop> subscription, std::source_location where)
{
    try {
        auto iterator = sequence.makeAsyncIterator();
        subscription->setIteratorCanceller(cancellerOf(iterator));
        while (!subscription->isStopped()) {
            auto element = co_await iterator.next();
            // A cancelled subscription delivers nothing more, also an element already on its way.
            if (!element || subscription->isStopped()) {
                break;
            }
            if constexpr (std::is_void_v<std::invoke_result_t<Handler &, typename S::Element &>>) {
                std::invoke(handler, *element);
            } else {
                co_await std::invoke(handler, *element);
            }
        }
    } catch (const AsyncCancellationError &) {
    } catch (const std::exception &error) {
        CollectionsHooks::reportError(
            QStringLiteral("Async stream should not throw: ") + QString::fromUtf8(error.what()),
            QString::fromUtf8(where.file_name()), static_cast<int>(where.line()));
    } catch (...) {
        CollectionsHooks::reportError(QStringLiteral("Async stream should not throw: an unknown error"),
            QString::fromUtf8(where.file_name()), static_cast<int>(where.line()));
    }
}

} // namespace AsyncSequenceSinkDetail

// Runs `handler` for every element of `sequence`, awaiting it when it returns a task, until the
// sequence ends, fails or the returned subscription is cancelled or destroyed. A handler already
// running finishes; nothing is delivered after the cancellation. A failure other than a
// cancellation is reported as "Async stream should not throw: " and its description. The handler
// runs on the thread the sequence resumes its consumer on (for this kit's own sequences, the
// thread that subscribed).
template<AsyncSequence S, typename Handler>
Events::AnyCancellable sink(
    S sequence, Handler handler, std::source_location where = std::source_location::current())
{
    auto subscription = std::make_shared<AsyncIterationStop>();
    AsyncSequenceSinkDetail::consume(std::move(sequence), std::move(handler), subscription, where);
    return Events::AnyCancellable([subscription] { subscription->stop(); });
}
