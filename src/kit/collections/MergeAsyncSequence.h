#pragma once

#include "kit/collections/AsyncChannel.h"
#include "kit/collections/AsyncSequence.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <utility>

// The elements of two sequences of one type, interleaved as they arrive. Forwarding starts at
// construction; elements wait in an unbounded buffer. The merge ends once both have ended, or at
// once when the first fails; a failure of the second ends it only after the first has ended.
// Failures are not passed on. A consumer that stops ends the stream, not the forwarding: both
// inputs are still read to their ends. Copies share the one stream, with one consumer at a time.
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
        QCoro::Task<bool> firstCopy = copy(channel, std::move(first));
        QCoro::Task<bool> secondCopy = copy(channel, std::move(second));
        if (co_await firstCopy) {
            co_await secondCopy;
        }
        channel->finish();
    }

    // True when `sequence` ended, false when it failed.
    static QCoro::Task<bool> copy(std::shared_ptr<AsyncChannel<Element>> channel, Base sequence)
    {
        try {
            auto iterator = sequence.makeAsyncIterator();
            // Not a declaration in the loop's condition: GCC 12 destroys the awaiter twice there.
            for (;;) {
                auto element = co_await iterator.next();
                if (!element) {
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
