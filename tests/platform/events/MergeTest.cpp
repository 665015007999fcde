#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include "Recorder.h"

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <thread>
#include <vector>

using namespace Events;

using EventsTest::Failure;
using EventsTest::Recorder;

TEST(Merge, InterleavesValuesAndFinishesOnlyAfterBothFinished)
{
    PassthroughSubject<int> left;
    CurrentValueSubject<int> right(100);
    Recorder<int, Never> recorder;
    auto c = recorder.attach(left.merge(right));
    EXPECT_EQ(recorder.values, (std::vector { 100 })) << "a replayed value comes through at once";
    left.send(1);
    right.send(101);
    left.send(Completion<Never>::finished());
    EXPECT_TRUE(recorder.completions.empty());
    right.send(102);
    right.send(Completion<Never>::finished());

    EXPECT_EQ(recorder.values, (std::vector { 100, 1, 101, 102 }));
    EXPECT_EQ(recorder.completions.size(), 1U);
}

TEST(Merge, FailsWithTheFirstFailure)
{
    PassthroughSubject<int, Failure> left;
    PassthroughSubject<int, Failure> right;
    Recorder<int, Failure> recorder;
    auto c = recorder.attach(left.merge(right));
    left.send(1);
    right.send(Completion<Failure>::failure({ "right broke" }));
    left.send(2);
    left.send(Completion<Failure>::failure({ "left broke" }));

    EXPECT_EQ(recorder.values, (std::vector { 1 }));
    ASSERT_EQ(recorder.completions.size(), 1U);
    EXPECT_EQ(recorder.completions.front().error().reason, "right broke");
}

TEST(Merge, OntoAnEmptyPublisherThatNeverCompletes)
{
    PassthroughSubject<Void> key;
    auto merged = AnyPublisher<Void>::empty(false).merge(key);
    Recorder<Void, Never> recorder;
    auto c = recorder.attach(merged);
    key.send();
    key.send(Completion<Never>::finished());
    EXPECT_EQ(recorder.values.size(), 1U);
    EXPECT_TRUE(recorder.completions.empty()) << "the empty side never finishes";

    Recorder<Void, Never> alone;
    auto d = alone.attach(AnyPublisher<Void>::empty(false));
    EXPECT_TRUE(alone.values.empty());
    EXPECT_TRUE(alone.completions.empty());

    Recorder<Void, Never> finishing;
    auto e = finishing.attach(AnyPublisher<Void>::empty());
    EXPECT_EQ(finishing.completions.size(), 1U);
}

TEST(Merge, CancellingReleasesBothSources)
{
    PassthroughSubject<int> left;
    PassthroughSubject<int> right;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    int received = 0;
    auto c = left.merge(right).sink([token, &received](int) { ++received; });
    token.reset();
    c.cancel();
    left.send(1);
    right.send(2);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(watch.expired());
}

TEST(Merge, SourcesSendingFromTwoThreadsAreDeliveredOneAtATime)
{
    PassthroughSubject<int> left;
    PassthroughSubject<int> right;
    constexpr int PerSide = 5000;
    // Plain counters on purpose: overlapping deliveries would race on them.
    long long count = 0;
    long long sum = 0;
    auto c = left.merge(right).sink([&](int v) {
        ++count;
        sum += v;
    });
    std::latch start(2);
    std::thread a([&] {
        start.arrive_and_wait();
        for (int i = 0; i < PerSide; ++i) {
            left.send(1);
        }
    });
    std::thread b([&] {
        start.arrive_and_wait();
        for (int i = 0; i < PerSide; ++i) {
            right.send(2);
        }
    });
    a.join();
    b.join();
    EXPECT_EQ(count, 2 * PerSide);
    EXPECT_EQ(sum, 3LL * PerSide);
}
