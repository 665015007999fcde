#include "platform/events/CancellableSet.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Events;

TEST(AnyCancellable, DestructionEndsTheSubscription)
{
    PassthroughSubject<int> subject;
    std::vector<int> received;
    {
        auto c = subject.sink([&](int v) { received.push_back(v); });
        subject.send(1);
    }
    subject.send(2);
    EXPECT_EQ(received, (std::vector { 1 }));
}

TEST(AnyCancellable, CancelIsIdempotentAndEndsOnlyItsOwnSubscription)
{
    PassthroughSubject<int> subject;
    int first = 0;
    int second = 0;
    auto a = subject.sink([&](int) { ++first; });
    auto b = subject.sink([&](int) { ++second; });
    a.cancel();
    EXPECT_FALSE(a.isActive());
    a.cancel();
    subject.send(1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST(AnyCancellable, MovingKeepsTheSubscriptionAndAssigningEndsThePreviousOne)
{
    PassthroughSubject<int> subject;
    int old = 0;
    int fresh = 0;
    AnyCancellable held = subject.sink([&](int) { ++old; });
    AnyCancellable moved = std::move(held);
    subject.send(1);
    EXPECT_EQ(old, 1) << "a move does not cancel";

    moved = subject.sink([&](int) { ++fresh; });
    subject.send(2);
    EXPECT_EQ(old, 1) << "replacing a cancellable ends the subscription it held";
    EXPECT_EQ(fresh, 1);
}

TEST(AnyCancellable, CancellingAChainReleasesEveryHandlerUpstream)
{
    PassthroughSubject<int> subject;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    auto c = subject.map([token](int v) { return v + *token; })
                 .removeDuplicates()
                 .filter([token](int) { return true; })
                 .sink([token](int) {});
    token.reset();
    ASSERT_FALSE(watch.expired());
    c.cancel();
    EXPECT_TRUE(watch.expired()) << "the subject still holds handlers of a cancelled chain";
}

TEST(AnyCancellable, CompletionReleasesTheSubscribersOfASubject)
{
    PassthroughSubject<int> subject;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    auto c = subject.sink([token](int) {});
    token.reset();
    subject.send(Completion<Never>::finished());
    EXPECT_TRUE(watch.expired());
}

TEST(CancellableSet, EndsEverySubscriptionWithItsOwner)
{
    CurrentValueSubject<int> subject(0);
    int received = 0;
    {
        CancellableSet cancellables;
        subject.sink([&](int) { ++received; }).store(cancellables);
        subject.map([](int v) { return v; }).sink([&](int) { ++received; }).store(cancellables);
        EXPECT_EQ(cancellables.size(), 2U);
        subject.send(1);
    }
    subject.send(2);
    EXPECT_EQ(received, 4);
}

TEST(CancellableSet, ClearEndsSubscriptionsAndTheSetStaysUsable)
{
    PassthroughSubject<int> subject;
    int received = 0;
    CancellableSet cancellables;
    subject.sink([&](int) { ++received; }).store(cancellables);
    cancellables.clear();
    EXPECT_TRUE(cancellables.isEmpty());
    subject.send(1);
    EXPECT_EQ(received, 0);

    subject.sink([&](int) { ++received; }).store(cancellables);
    subject.send(2);
    EXPECT_EQ(received, 1);
}

TEST(CancellableSet, ACancellationThatClearsTheSetAgainIsSafe)
{
    auto cancellables = std::make_unique<CancellableSet>();
    int ends = 0;
    CancellableSet *set = cancellables.get();
    cancellables->insert(AnyCancellable([&ends, set] {
        ++ends;
        set->clear();
    }));
    cancellables->insert(AnyCancellable([&ends] { ++ends; }));
    cancellables->clear();
    EXPECT_EQ(ends, 2);
    EXPECT_TRUE(cancellables->isEmpty());
}
