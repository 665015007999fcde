#pragma once

#include "kit/collections/AsyncChannel.h"

#include <functional>
#include <memory>
#include <utility>

// A sequence fed by hand: yield() and finish() from any thread. Elements wait in an unbounded
// buffer until taken; after finish() the buffered ones are still delivered, then none, and later
// yields are dropped. Copies share the one stream, which has one consumer at a time.
template<typename T>
class PassthroughAsyncSequence
{
public:
    using Element = T;

    using AsyncIterator = AsyncChannelIterator<T>;

    PassthroughAsyncSequence()
        : m_channel(std::make_shared<AsyncChannel<T>>())
    { }

    AsyncIterator makeAsyncIterator() const { return AsyncIterator(m_channel); }

    void yield(T element) const { m_channel->yield(std::move(element)); }
    void finish() const { m_channel->finish(); }

private:
    std::shared_ptr<AsyncChannel<T>> m_channel;
};
