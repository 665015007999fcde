#include "kit/collections/MemoCache.h"

#include "EventLoop.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Time that moves only when the test says so; background waits end when it passes their deadline.
class ManualClock
{
public:
    MemoCache::TimePoint now()
    {
        std::function<void()> hook;
        MemoCache::TimePoint current;
        {
            std::lock_guard guard(m_mutex);
            current = m_now;
            hook = std::exchange(m_onNextNow, nullptr);
        }
        if (hook) {
            hook();
        }
        return current;
    }

    void advance(MemoCache::Duration span)
    {
        std::lock_guard guard(m_mutex);
        m_now += span;
        m_wake.notify_all();
    }

    bool sleepUntil(MemoCache::TimePoint deadline, std::stop_token stop)
    {
        std::unique_lock lock(m_mutex);
        const bool reached = m_wake.wait(lock, stop, [&] { return m_now >= deadline; });
        return reached && !stop.stop_requested();
    }

    // Runs `hook` during the next reading of the time.
    void onNextNow(std::function<void()> hook)
    {
        std::lock_guard guard(m_mutex);
        m_onNextNow = std::move(hook);
    }

    MemoCache::Timing timing()
    {
        return { [this] { return now(); },
            [this](
                MemoCache::TimePoint deadline, std::stop_token stop) { return sleepUntil(deadline, stop); } };
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    MemoCache::TimePoint m_now { std::chrono::hours(1000) };
    std::function<void()> m_onNextNow;
};

class MemoCacheTest : public ::testing::Test
{
protected:
    // One call site for every lookup of the tests, so keys differ only where a test wants.
    int lookUp(const QString &argument, int result)
    {
        return cache->memoize(
            1s, { argument },
            [&] {
                ++computations;
                return result;
            },
            site);
    }

    void storeStale(const QString &name)
    {
        cache->storage().setValue(AggregateHashable({ name }), MemoCache::Entry { clock.now() - 1h, 0 });
    }

    bool holds(const QString &name)
    {
        return cache->storage().value(AggregateHashable({ name })).has_value();
    }

    const std::source_location site = std::source_location::current();
    ManualClock clock;
    std::unique_ptr<MemoCache> cache = std::make_unique<MemoCache>(clock.timing());
    int computations = 0;
};

} // namespace

TEST_F(MemoCacheTest, LookupComputesOncePerLifetimeAndReplacesTheEntryAtItsEnd)
{
    EXPECT_EQ(lookUp("a", 1), 1);
    clock.advance(999ms);
    EXPECT_EQ(lookUp("a", 2), 1);
    EXPECT_EQ(computations, 1);
    clock.advance(1ms);
    EXPECT_EQ(lookUp("a", 3), 3);
    EXPECT_EQ(lookUp("a", 4), 3);
    EXPECT_EQ(computations, 2);
}

TEST_F(MemoCacheTest, CallSitesArgumentsAndValueTypesMakeSeparateEntries)
{
    const auto here = std::source_location::current();
    auto compute = [this](auto value) {
        return [this, value] {
            ++computations;
            return value;
        };
    };
    EXPECT_EQ(cache->memoize(1s, { 1, 2 }, compute(12), here), 12);
    EXPECT_EQ(cache->memoize(1s, { 2, 1 }, compute(21), here), 21);
    EXPECT_EQ(cache->memoize(1s, { 1, 2 }, compute(QStringLiteral("text")), here), "text");
    EXPECT_EQ(cache->memoize(1s, { 1, 2 }, compute(99)), 99);
    EXPECT_EQ(cache->memoize(1s, { 1, 2 }, compute(0), here), 12);
    // An absent result is cached like any other.
    EXPECT_EQ(cache->memoize(1s, { 3 }, compute(std::optional<int>()), here), std::nullopt);
    EXPECT_EQ(cache->memoize(1s, { 3 }, compute(std::optional<int>(3)), here), std::nullopt);
    EXPECT_EQ(computations, 5);
    EXPECT_EQ(cache->storage().toDictionary().size(), 5u);
}

TEST_F(MemoCacheTest, HousekeepingRunsOnEverySecondLookup)
{
    testing::internal::CaptureStdout();
    storeStale("before first");
    lookUp("1", 1);
    EXPECT_TRUE(holds("before first"));
    // The second lookup cleans up at once: there has been no clean-up for a minute.
    lookUp("2", 2);
    EXPECT_FALSE(holds("before first"));
    storeStale("before third");
    lookUp("3", 3);
    // The fourth, within a minute of that clean-up, leaves it to the background.
    lookUp("4", 4);
    EXPECT_TRUE(holds("before third"));
    EXPECT_EQ(cache->storage().toDictionary().size(), 5u);
    clock.advance(9s);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(holds("before third"));
    clock.advance(1s);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return cache->storage().toDictionary().empty(); }));
    // A quiet minute after it brings back the immediate clean-up.
    clock.advance(61s);
    storeStale("after a minute");
    lookUp("5", 5);
    lookUp("6", 6);
    EXPECT_FALSE(holds("after a minute"));
    cache.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CLEANUP\n");
}

TEST_F(MemoCacheTest, NewerSchedulingReplacesThePendingCleanup)
{
    lookUp("1", 1);
    lookUp("2", 2);
    testing::internal::CaptureStdout();
    lookUp("3", 3);
    lookUp("4", 4); // schedules for 10 s from now
    clock.advance(1s);
    lookUp("5", 5);
    lookUp("6", 6); // within 2 s of the scheduling: nothing
    clock.advance(2s);
    lookUp("7", 7);
    lookUp("8", 8); // replaces the first scheduling
    storeStale("stale");
    clock.advance(8s); // past the first deadline, before the second
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(holds("stale"));
    clock.advance(2s);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !holds("stale"); }));
    cache.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CLEANUP\n");
}

TEST_F(MemoCacheTest, CleanupKeepsEntriesAtTheBoundaryAndEntriesStoredAfterItLooked)
{
    lookUp("boundary", 1);
    clock.advance(1s);
    cache->cleanup(1s);
    EXPECT_EQ(cache->storage().toDictionary().size(), 1u);

    clock.advance(1s);
    const AggregateHashable key = cache->storage().keys().front();
    // The entry is stored afresh between the clean-up's snapshot and its removal.
    clock.onNextNow([&] { cache->storage().setValue(key, MemoCache::Entry { clock.now(), 7 }); });
    cache->cleanup(1s);
    const auto entry = cache->storage().value(key);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(std::any_cast<int>(entry->value), 7);
}

TEST(MemoCacheConcurrency, LookupsFromManyThreadsGetTheirOwnValues)
{
    ManualClock clock;
    MemoCache cache(clock.timing());
    std::atomic<int> wrong { 0 };
    std::atomic<bool> running { true };
    std::thread ticker([&] {
        while (running) {
            clock.advance(700ms);
            std::this_thread::sleep_for(100us);
        }
    });
    onThreads(8, [&](int t) {
        for (int i = 0; i < 400; ++i) {
            const int expected = t * 100 + i % 10;
            wrong += cache.memoize(1s, { t, i % 10 }, [expected] { return expected; }) != expected;
        }
    });
    running = false;
    ticker.join();
    EXPECT_EQ(wrong.load(), 0);
}
