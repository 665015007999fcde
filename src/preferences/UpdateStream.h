#pragma once

#include "kit/collections/AsyncChannel.h"

#include <functional>
#include <memory>
#include <utility>

namespace Defaults {

namespace Detail {

template<class V>
using UpdateChannel = AsyncChannel<V>;

} // namespace Detail

// The values of a key, as a coroutine stream with an unbounded buffer: producers on any thread
// never block, nothing is dropped. One consumer at a time awaits next() on a thread that runs a
// Qt event loop; it is resumed there on a later turn. The stream ends only from the consumer's
// side: cancel(), destroying the stream, or destroying a coroutine suspended in next(); its
// observation stops then.
//
//     while (std::optional<bool> value = co_await stream.next()) { ... }
template<class V>
class UpdateStream
{
public:
    using Next = AsyncChannelNext<V>;

    explicit UpdateStream(std::shared_ptr<Detail::UpdateChannel<V>> channel)
        : m_channel(std::move(channel))
    { }
    UpdateStream(UpdateStream &&) noexcept = default;
    UpdateStream &operator=(UpdateStream &&other) noexcept
    {
        if (this != &other) {
            cancel();
            m_channel = std::move(other.m_channel);
        }
        return *this;
    }
    UpdateStream(const UpdateStream &) = delete;
    UpdateStream &operator=(const UpdateStream &) = delete;
    ~UpdateStream() { cancel(); }

    // The next value; none once the stream has ended.
    Next next() const { return Next(m_channel); }

    void cancel()
    {
        if (m_channel) {
            m_channel->end();
        }
    }

    // Ends the stream from anywhere, also after the stream object moved into a coroutine.
    std::function<void()> canceller() const { return channelEnder(m_channel); }

private:
    std::shared_ptr<Detail::UpdateChannel<V>> m_channel;
};

} // namespace Defaults
