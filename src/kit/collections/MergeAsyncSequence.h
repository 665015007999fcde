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
// Failures are not passed on; a failure of the first stops the reading of the second. Copies
// share the one stream, with one consumer at a time. Once the consumer stops (its iterator is
// cancelled, or the merged sequence and every iterator of it are gone), the stream ends: what is
// buffered and what is still on its way are dropped, and the reading of both inputs is stopped.
template<AsyncSequence Base>
class MergeAsyncSequence
{
    // Shared by the sequence's copies and iterators: the last of them gone ends the stream.
    struct Consumer
    {
        explicit Consumer(std::function<void()> endStream)
            : endStream(std::move(endStream))
        { }
        Consumer(const Consumer &) = delete;
        Consumer &operator=(const Consumer &) = delete;
        ~Consumer() { endStream(); }

        std::function<void()> endStream;
    };

public:
    using Element = typename Base::Element;

    class AsyncIterator
    {
    public:
        AsyncChannelNext<Element> next() { return m_channel.next(); }
        std::function<void()> canceller() const { return m_channel.canceller(); }

    private:
        friend class MergeAsyncSequence;
        AsyncIterator(std::shared_ptr<const Consumer> consumer, AsyncChannelIterator<Element> channel)
            : m_consumer(std::move(consumer))
            , m_channel(std::move(channel))
        { }

        std::shared_ptr<const Consumer> m_consumer;
        AsyncChannelIterator<Element> m_channel;
    };

    MergeAsyncSequence(Base first, Base second)
        : m_channel(std::make_shared<AsyncChannel<Element>>())
        , m_consumer(std::make_shared<const Consumer>(channelEnder(m_channel)))
    {
        forward(m_channel, std::move(first), std::move(second));
    }

    AsyncIterator makeAsyncIterator() const
    {
        return AsyncIterator(m_consumer, AsyncChannelIterator<Element>(m_channel));
    }

private:
    // Detached: the coroutines own what they use and end by themselves.
    static QCoro::Task<> forward(std::shared_ptr<AsyncChannel<Element>> channel, Base first, Base second)
    {
        const auto firstStop = std::make_shared<AsyncIterationStop>();
        const auto secondStop = std::make_shared<AsyncIterationStop>();
        // A dropped task goes on running: without the stops an endless input would be read for
        // the rest of the process, into a buffer nobody takes from.
        channel->setOnTermination([firstStop, secondStop] {
            firstStop->stop();
            secondStop->stop();
        });
        QCoro::Task<bool> firstCopy = copy(channel, std::move(first), firstStop);
        QCoro::Task<bool> secondCopy = copy(channel, std::move(second), secondStop);
        if (co_await firstCopy) {
            co_await secondCopy;
        }
        // After a failure of the first, this stops the second.
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
    std::shared_ptr<const Consumer> m_consumer;
};

template<AsyncSequence Base>
MergeAsyncSequence<Base> merge(Base first, Base second)
{
    return MergeAsyncSequence<Base>(std::move(first), std::move(second));
}
