#pragma once

#include "kit/collections/AsyncChannel.h"
#include "kit/collections/AsyncIterationStop.h"
#include "kit/collections/AsyncSequence.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <utility>

// The elements of two sequences of one type, interleaved as they arrive. Forwarding starts at
// construction; elements wait in an unbounded buffer. The merge ends once both have ended, or at
// once when the first fails; a failure of the second ends it only after the first has ended.
// Failures are not passed on; a failure of the first stops the reading of the second. A consumer
// that stops ends the stream, not the forwarding: both inputs are still read to their ends. Copies share the
// one stream, with one consumer at a time.
template<AsyncSequence Base>
class MergeAsyncSequence
{
public:
    using Element = typename Base::Element;

    using AsyncIterator = AsyncChannelIterator<Element>;

    MergeAsyncSequence(Base first, Base second)
        : m_channel(std::make_shared<AsyncChannel<Element>>())
    {
        forward(m_channel, std::move(first), std::move(second));
    }

    AsyncIterator makeAsyncIterator() const { return AsyncIterator(m_channel); }

private:
    // Detached: the coroutines own what they use and end by themselves.
    static QCoro::Task<> forward(std::shared_ptr<AsyncChannel<Element>> channel, Base first, Base second)
    {
        const auto secondStop = std::make_shared<AsyncIterationStop>();
        QCoro::Task<bool> firstCopy = copy(channel, std::move(first), std::make_shared<AsyncIterationStop>());
        QCoro::Task<bool> secondCopy = copy(channel, std::move(second), secondStop);
        if (co_await firstCopy) {
            co_await secondCopy;
        } else {
            // A dropped task goes on running: without the stop an endless second input would be
            // read for the rest of the process.
            secondStop->stop();
        }
        channel->finish();
    }

    // True when `sequence` ended or was stopped, false when it failed.
    static QCoro::Task<bool> copy(std::shared_ptr<AsyncChannel<Element>> channel, Base sequence,
        std::shared_ptr<AsyncIterationStop> stop)
    {
        try {
            auto iterator = sequence.makeAsyncIterator();
            stop->setIteratorCanceller(cancellerOf(iterator));
            // Not a declaration in the loop's condition: GCC 12 destroys the awaiter twice there.
            while (!stop->isStopped()) {
                auto element = co_await iterator.next();
                if (!element || stop->isStopped()) {
                    break;
                }
                channel->yield(std::move(*element));
            }
            co_return true;
        } catch (...) {
            co_return false;
        }
    }

    std::shared_ptr<AsyncChannel<Element>> m_channel;
};

template<AsyncSequence Base>
MergeAsyncSequence<Base> merge(Base first, Base second)
{
    return MergeAsyncSequence<Base>(std::move(first), std::move(second));
}
