#include "platform/events/AbandonableWork.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

using namespace Events;

namespace {

constexpr int Threads = 8;
constexpr int SendsPerThread = 4000;

// A value that tells which thread sent it and in which order.
struct Stamp
{
    int thread;
    int index;
};

// Runs `body(threadIndex)` on `Threads` threads released together.
template<typename Body>
void runConcurrently(Body body)
{
    std::latch start(Threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([&, t] {
            start.arrive_and_wait();
            body(t);
        });
    }
    for (auto &worker : workers) {
        worker.join();
    }
}

} // namespace

TEST(Threading, ConcurrentSendsReachEverySubscriberOnceAndInEachSendersOrder)
{
    PassthroughSubject<Stamp> subject;
    // Plain counters on purpose: deliveries of one subject never overlap.
    long long count = 0;
    long long sum = 0;
    std::vector<int> lastIndex(Threads, -1);
    bool inOrder = true;
    auto counting = subject.sink([&](const Stamp &stamp) {
        ++count;
        sum += stamp.index;
    });
    auto ordering = subject.sink([&](const Stamp &stamp) {
        inOrder = inOrder && stamp.index == lastIndex[stamp.thread] + 1;
        lastIndex[stamp.thread] = stamp.index;
    });

    runConcurrently([&](int t) {
        for (int i = 0; i < SendsPerThread; ++i) {
            subject.send(Stamp { t, i });
        }
    });

    EXPECT_EQ(count, Threads * SendsPerThread);
    EXPECT_EQ(sum, static_cast<long long>(Threads) * SendsPerThread * (SendsPerThread - 1) / 2);
    EXPECT_TRUE(inOrder);
    for (int last : lastIndex) {
        EXPECT_EQ(last, SendsPerThread - 1);
    }
}

TEST(Threading, MergedSourcesSendingFromSeveralThreadsAreDeliveredOneAtATime)
{
    PassthroughSubject<int> left;
    PassthroughSubject<int> right;
    // Plain counters on purpose: overlapping deliveries would race on them.
    long long count = 0;
    long long sum = 0;
    auto c = left.merge(right).sink([&](int v) {
        ++count;
        sum += v;
    });
    runConcurrently([&](int t) {
        for (int i = 0; i < SendsPerThread; ++i) {
            (t % 2 == 0 ? left : right).send(t % 2 + 1);
        }
    });
    EXPECT_EQ(count, Threads * SendsPerThread);
    EXPECT_EQ(sum, 3LL * (Threads / 2) * SendsPerThread);
}

TEST(Threading, SubscribingAndCancellingWhileOthersSend)
{
    PassthroughSubject<int> subject;
    std::atomic<long long> steady { 0 };
    auto kept = subject.sink([&](int) { steady.fetch_add(1, std::memory_order_relaxed); });
    std::atomic<long long> churned { 0 };

    runConcurrently([&](int t) {
        for (int i = 0; i < SendsPerThread; ++i) {
            if (t % 2 == 0) {
                subject.send(i);
            } else {
                auto transient = subject.map([](int v) { return v + 1; }).sink([&](int) { ++churned; });
                if (i % 3 == 0) {
                    transient.cancel();
                }
            }
        }
    });

    EXPECT_EQ(steady.load(), (Threads / 2) * SendsPerThread);
    subject.send(0);
    EXPECT_EQ(steady.load(), (Threads / 2) * SendsPerThread + 1);
    const auto churnedBefore = churned.load();
    subject.send(0);
    EXPECT_EQ(churned.load(), churnedBefore) << "a destroyed subscription still received a value";
}

TEST(Threading, SubscriberSendingBackIntoItsSubjectFromWorkerThreadsDoesNotDeadlock)
{
    PassthroughSubject<int> subject;
    long long received = 0;
    // Every value 0 is answered by the subscriber with a 1 on the same subject.
    auto echo = subject.sink([&](int v) {
        ++received;
        if (v == 0) {
            subject.send(1);
        }
    });

    runConcurrently([&](int) {
        for (int i = 0; i < SendsPerThread; ++i) {
            subject.send(0);
        }
    });

    EXPECT_EQ(received, 2LL * Threads * SendsPerThread);
}

TEST(Threading, ValueIsAlwaysOneThatWasSent)
{
    CurrentValueSubject<std::vector<int>> subject(std::vector<int>(16, 0));
    std::atomic<bool> torn { false };

    runConcurrently([&](int t) {
        for (int i = 0; i < SendsPerThread / 4; ++i) {
            if (t % 2 == 0) {
                subject.send(std::vector<int>(16, t * SendsPerThread + i));
            } else {
                const auto seen = subject.value();
                for (int element : seen) {
                    if (element != seen.front()) {
                        torn = true;
                    }
                }
            }
        }
    });

    EXPECT_FALSE(torn.load());
}

// Work still held at the deadline is named, whatever else finished; once let go, nothing is.
TEST(Threading, AbandonableWorkHeldAtTheDeadlineIsNamedUntilItIsReleased)
{
    using namespace std::chrono_literals;
    const struct
    {
        QStringList done;
        QStringList held;
    } cases[] = {
        { { "quick" }, {} },
        { {}, { "stuck" } },
        { { "quick", "other" }, { "stuck", "also stuck" } },
    };
    for (const auto &[done, held] : cases) {
        std::latch release(1);
        std::latch finished(done.size());
        for (const QString &what : done) {
            AbandonableWork::start(what, [&finished] { finished.count_down(); });
        }
        for (const QString &what : held) {
            AbandonableWork::start(what, [&release] { release.wait(); });
        }
        // However busy the machine, the deadline comes after the work that finishes; without work
        // held, the wait ends once all of it is done.
        finished.wait();
        QStringList left = AbandonableWork::waitForDone(QDeadlineTimer(held.isEmpty() ? 1min : 200ms));
        left.sort();
        QStringList expected = held;
        expected.sort();
        EXPECT_EQ(left, expected) << done.join(u',').toStdString();
        release.count_down();
        EXPECT_EQ(AbandonableWork::waitForDone(QDeadlineTimer(1min)), QStringList())
            << held.join(u',').toStdString();
    }
}
