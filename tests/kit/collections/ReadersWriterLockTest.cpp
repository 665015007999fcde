#include "kit/collections/ReadersWriterLock.h"

#include "Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct ReadFailure
{
    int code;
};

// Waits until `count` reaches `wanted` or a generous deadline passes.
bool waitForCount(const std::atomic<int> &count, int wanted)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (count.load() < wanted) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

} // namespace

TEST(ReadersWriterLock, ReadPassesResultAndExceptionUnchangedAndWritesApplyInIssueOrder)
{
    ReadersWriterLock lock;
    EXPECT_EQ(lock.concurrentlyRead([] { return 42; }), 42);
    try {
        lock.concurrentlyRead([]() -> int { throw ReadFailure { 7 }; });
        ADD_FAILURE() << "the read's exception did not reach the caller";
    } catch (const ReadFailure &failure) {
        EXPECT_EQ(failure.code, 7);
    }
    // The failed read released the lock: writes still get through, in the order issued.
    std::vector<int> applied;
    for (int i = 0; i < 5; ++i) {
        lock.exclusivelyWrite([&applied, i] { applied.push_back(i); });
    }
    EXPECT_EQ(lock.concurrentlyRead([&] { return applied; }), (std::vector<int> { 0, 1, 2, 3, 4 }));
}

TEST(ReadersWriterLock, NestedWriteRunsAfterTheEnclosingBlockEndsAndIsNeverLost)
{
    ReadersWriterLock lock;
    int value = 0;
    const int seenInside = lock.concurrentlyRead([&] {
        lock.exclusivelyWrite([&] { value = 5; });
        // A nested read does not wait for the queued write (that would deadlock).
        return lock.concurrentlyRead([&] { return value; });
    });
    EXPECT_EQ(seenInside, 0);
    EXPECT_EQ(lock.concurrentlyRead([&] { return value; }), 5);

    // Queued by a read that then throws: still applied.
    EXPECT_THROW(lock.concurrentlyRead([&]() -> int {
        lock.exclusivelyWrite([&] { value = 3; });
        throw ReadFailure { 1 };
    }),
        ReadFailure);
    EXPECT_EQ(lock.concurrentlyRead([&] { return value; }), 3);

    std::vector<int> order;
    lock.exclusivelyWrite([&] {
        order.push_back(1);
        lock.exclusivelyWrite([&] { order.push_back(3); });
        // The outer block still runs alone and sees its own state through a nested read.
        order.push_back(lock.concurrentlyRead([&] { return static_cast<int>(order.size()) + 1; }));
    });
    EXPECT_EQ(lock.concurrentlyRead([&] { return order; }), (std::vector<int> { 1, 2, 3 }));
}

TEST(ReadersWriterLock, UpdateRunsOnTheCallerAfterEarlierWritesOutsideAReadOfTheSameLock)
{
    ReadersWriterLock lock;
    int value = 1;
    lock.exclusivelyWrite([&] { value = 10; });
    const auto caller = std::this_thread::get_id();
    const int result = lock.exclusivelyUpdate([&] {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        lock.exclusivelyWrite([&] { value *= 2; });
        return ++value;
    });
    EXPECT_EQ(result, 11);
    EXPECT_EQ(lock.concurrentlyRead([&] { return value; }), 22);
    EXPECT_THROW(lock.exclusivelyUpdate([]() -> int { throw ReadFailure { 2 }; }), ReadFailure);
    EXPECT_EQ(lock.exclusivelyUpdate([&] { return value; }), 22);

    // Inside a read of the same lock it would deadlock: refused.
    ReadersWriterLock other;
    lock.concurrentlyRead([&] {
        EXPECT_THROW(lock.exclusivelyUpdate([] { return 0; }), std::logic_error);
        EXPECT_EQ(other.exclusivelyUpdate([] { return 4; }), 4);
        return 0;
    });
    EXPECT_EQ(lock.exclusivelyUpdate([&] { return lock.exclusivelyUpdate([] { return 9; }); }), 9);
}

TEST(ReadersWriterLockConcurrency, ReadsOverlap)
{
    ReadersWriterLock lock;
    std::atomic<int> inside { 0 };
    std::atomic<int> sawBoth { 0 };
    onThreads(2, [&](int) {
        lock.concurrentlyRead([&] {
            ++inside;
            sawBoth += waitForCount(inside, 2);
            return 0;
        });
    });
    EXPECT_EQ(sawBoth.load(), 2);
}

TEST(ReadersWriterLockConcurrency, ReadersNeverSeeAHalfDoneWrite)
{
    ReadersWriterLock lock;
    long first = 0;
    long second = 0;
    std::atomic<int> torn { 0 };
    onThreads(8, [&](int t) {
        for (int i = 0; i < 2000; ++i) {
            if (t % 2 == 0) {
                lock.exclusivelyWrite([&] {
                    ++first;
                    ++second;
                });
            } else {
                torn += !lock.concurrentlyRead([&] { return first == second; });
            }
        }
    });
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(lock.concurrentlyRead([&] { return first; }), 8000);
    EXPECT_EQ(lock.concurrentlyRead([&] { return second; }), 8000);
}

TEST(ReadersWriterLockConcurrency, EveryThreadSeesItsOwnWriteAtOnce)
{
    ReadersWriterLock lock;
    std::vector<int> cells(8, 0);
    std::atomic<int> missed { 0 };
    onThreads(8, [&](int t) {
        for (int i = 1; i <= 500; ++i) {
            lock.exclusivelyWrite([&, t, i] { cells[t] = i; });
            missed += lock.concurrentlyRead([&] { return cells[t]; }) != i;
        }
    });
    EXPECT_EQ(missed.load(), 0);
}
