#include "platform/events/CancellableSet.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Events;

TEST(AnyCancellable, CancellingOrDestroyingEndsOnlyItsOwnSubscriptionAndMovingKeepsIt)
{
    PassthroughSubject<int> subject;
    std::vector<int> destroyed;
    int cancelled = 0, kept = 0, replaced = 0;
    {
        auto c = subject.sink([&](int v) { destroyed.push_back(v); });
        subject.send(1);
    }
    auto a = subject.sink([&](int) { ++cancelled; });
    AnyCancellable held = subject.sink([&](int) { ++kept; });
    AnyCancellable moved = std::move(held);
    a.cancel();
    EXPECT_FALSE(a.isActive());
    a.cancel();
    subject.send(2);
    EXPECT_EQ(destroyed, (std::vector { 1 }));
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(kept, 1) << "a move does not cancel";

    moved = subject.sink([&](int) { ++replaced; });
    subject.send(3);
    EXPECT_EQ(kept, 1) << "replacing a cancellable ends the subscription it held";
    EXPECT_EQ(replaced, 1);

    // Cancelling a chain, or completing, releases every handler upstream.
    for (const bool complete : { false, true }) {
        SCOPED_TRACE(complete ? "completion" : "cancellation");
        PassthroughSubject<int> subject;
        auto token = std::make_shared<int>(0);
        std::weak_ptr<int> watch = token;
        auto c = subject.map([token](int v) { return v + *token; })
                     .removeDuplicates()
                     .filter([token](int) { return true; })
                     .sink([token](int) {});
        token.reset();
        ASSERT_FALSE(watch.expired());
        if (complete) {
            subject.send(Completion<Never>::finished());
        } else {
            c.cancel();
        }
        EXPECT_TRUE(watch.expired()) << "the subject still holds handlers of an ended chain";
    }
}

TEST(CancellableSet, EndsEverySubscriptionWhenClearedOrWithItsOwnerAndStaysUsable)
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

    CancellableSet cancellables;
    subject.sink([&](int) { ++received; }).store(cancellables);
    cancellables.clear();
    EXPECT_TRUE(cancellables.isEmpty());
    subject.send(3);
    EXPECT_EQ(received, 5);
    subject.sink([&](int) { ++received; }).store(cancellables);
    subject.send(4);
    EXPECT_EQ(received, 7);

    // A cancellation that clears the set again is safe.
    int ends = 0;
    cancellables.insert(AnyCancellable([&] {
        ++ends;
        cancellables.clear();
    }));
    cancellables.insert(AnyCancellable([&ends] { ++ends; }));
    cancellables.clear();
    EXPECT_EQ(ends, 2);
    EXPECT_TRUE(cancellables.isEmpty());
}
