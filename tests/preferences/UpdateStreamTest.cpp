#include "PreferencesTestSupport.h"

#include "EventLoop.h"
#include "preferences/DefaultsUpdates.h"

#include <QCoroTask>

#include <chrono>
#include <coroutine>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Defaults::Key;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

// A coroutine whose frame the test destroys itself, wherever it is suspended.
struct OwnedCoroutine
{
    struct promise_type
    {
        OwnedCoroutine get_return_object()
        {
            return OwnedCoroutine { std::coroutine_handle<promise_type>::from_promise(*this) };
        }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        void return_void() { }
        void unhandled_exception() { std::terminate(); }
    };
    explicit OwnedCoroutine(std::coroutine_handle<promise_type> handle)
        : handle(handle)
    { }
    OwnedCoroutine(const OwnedCoroutine &) = delete;
    ~OwnedCoroutine()
    {
        if (handle) {
            handle.destroy();
        }
    }
    std::coroutine_handle<promise_type> handle;
};

template<class V>
QCoro::Task<> collect(Defaults::UpdateStream<V> stream, std::vector<V> &values, std::size_t count)
{
    while (values.size() < count) {
        std::optional<V> value = co_await stream.next();
        if (!value) {
            co_return;
        }
        values.push_back(*value);
    }
}

template<class V>
OwnedCoroutine consumeForever(Defaults::UpdateStream<V> stream, std::vector<V> &values)
{
    while (std::optional<V> value = co_await stream.next()) {
        values.push_back(*value);
    }
}

using UpdateStreamTest = PreferencesTest;

TEST_F(UpdateStreamTest, TheInitialValueComesFirstIfAskedForThenChangesInOrder)
{
    const Key<std::int64_t> key("count", 1, m_suite);
    std::vector<std::int64_t> values;
    auto stream = Defaults::updateStream(key, true);
    Defaults::set(key, std::int64_t(2));
    Defaults::set(key, std::int64_t(3));
    collect(std::move(stream), values, 3);
    // Everything was buffered, so the consumer ran to the end without suspending.
    EXPECT_EQ(values, (std::vector<std::int64_t> { 1, 2, 3 }));

    values.clear();
    collect(Defaults::updateStream(key, false), values, 1);
    processEventsFor(50ms);
    EXPECT_TRUE(values.empty());
    Defaults::set(key, std::int64_t(4));
    // A waiting consumer is resumed on a later turn of its event loop, never inside the write.
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(processEventsUntil([&] { return !values.empty(); }));
    EXPECT_EQ(values, std::vector<std::int64_t> { 4 });
}

TEST_F(UpdateStreamTest, FedBySeveralThreadsNothingIsLostOrReordered)
{
    const Key<std::int64_t> key("count", -1, m_suite);
    constexpr int threads = 4;
    constexpr int writesPerThread = 40;
    std::vector<std::int64_t> values;
    collect(Defaults::updateStream(key, false), values, threads * writesPerThread);
    std::vector<std::thread> writers;
    for (int thread = 0; thread < threads; ++thread) {
        writers.emplace_back([&, thread] {
            for (int round = 0; round < writesPerThread; ++round) {
                Defaults::set(key, std::int64_t(thread * 1000 + round));
            }
        });
    }
    ASSERT_TRUE(processEventsUntil([&] { return values.size() == threads * writesPerThread; }, 20s));
    for (std::thread &writer : writers) {
        writer.join();
    }
    std::vector<std::int64_t> nextRound(threads, 0);
    for (std::int64_t value : values) {
        ASSERT_EQ(value % 1000, nextRound.at(value / 1000)++) << "from thread " << value / 1000;
    }
    EXPECT_EQ(nextRound, std::vector<std::int64_t>(threads, writesPerThread));
}

TEST_F(UpdateStreamTest, DestroyingASuspendedConsumerOrCancellingRemovesTheObservation)
{
    const Key<bool> key("flag", false, m_suite);
    const long baseline = m_suite.use_count();
    std::vector<bool> values;
    {
        OwnedCoroutine consumer = consumeForever(Defaults::updateStream(key, false), values);
        EXPECT_FALSE(consumer.handle.done());
        // The observation's callback holds a copy of the key, and so the suite.
        EXPECT_GT(m_suite.use_count(), baseline);
        Defaults::set(key, true);
        // Destroyed with a resume already queued for it.
    }
    EXPECT_EQ(m_suite.use_count(), baseline);
    Defaults::set(key, false);
    processEventsFor(50ms);
    EXPECT_TRUE(values.empty());

    // Cancelling ends a waiting consumer.
    auto stream = Defaults::updateStream(key, false);
    const auto cancel = stream.canceller();
    auto consumer = collect(std::move(stream), values, 10);
    cancel();
    EXPECT_EQ(m_suite.use_count(), baseline);
    Defaults::set(key, true);
    EXPECT_TRUE(processEventsUntil([&] { return consumer.isReady(); }));
    EXPECT_TRUE(values.empty());
    cancel();
}

TEST_F(UpdateStreamTest, ASecondWaitingConsumerIsRefused)
{
    const Key<bool> key("flag", false, m_suite);
    auto stream = Defaults::updateStream(key, false);
    std::optional<bool> first;
    bool refused = false;
    const auto waitFirst
        = [](Defaults::UpdateStream<bool> &stream, std::optional<bool> &first) -> QCoro::Task<> {
        first = co_await stream.next();
    };
    const auto waitSecond = [](Defaults::UpdateStream<bool> &stream, bool &refused) -> QCoro::Task<> {
        try {
            co_await stream.next();
        } catch (const std::logic_error &) {
            refused = true;
        }
    };
    waitFirst(stream, first);
    waitSecond(stream, refused);
    EXPECT_TRUE(refused);
    Defaults::set(key, true);
    EXPECT_TRUE(processEventsUntil([&] { return first.has_value(); }));
    EXPECT_EQ(first, true);
}

} // namespace
