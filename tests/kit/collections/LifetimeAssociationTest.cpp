#include "kit/collections/LifetimeAssociation.h"

#include "Threads.h"

#include <gtest/gtest.h>

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct Target
{
};

// Counts handler calls and notes whether the target was still alive at each call.
struct Probe
{
    std::shared_ptr<Target> target = std::make_shared<Target>();
    std::weak_ptr<Target> watched = target;
    int calls = 0;
    bool targetAliveAtCall = false;

    std::function<void()> handler()
    {
        return [this] {
            ++calls;
            targetAliveAtCall = !watched.expired();
        };
    }

    // Hands the only strong reference to the tie.
    std::shared_ptr<void> release() { return std::move(target); }
};

} // namespace

TEST(LifetimeAssociation, OwnerDestructionRunsTheHandlerOnceThenReleasesTheTarget)
{
    Probe probe;
    auto owner = std::make_unique<QObject>();
    owner->blockSignals(true); // still ends its ties
    LifetimeAssociation association(probe.release(), owner.get(), probe.handler());
    EXPECT_EQ(association.owner(), owner.get());
    EXPECT_FALSE(probe.watched.expired());
    owner.reset();
    EXPECT_EQ(probe.calls, 1);
    EXPECT_TRUE(probe.targetAliveAtCall);
    EXPECT_TRUE(probe.watched.expired());
    EXPECT_EQ(association.owner(), nullptr);
    association.cancel();
    EXPECT_EQ(probe.calls, 1);
}

TEST(LifetimeAssociation, CancelUntiesWithoutRunningTheHandlerAndLeavesTheOwnersOtherTiesAndAnOwnerIsNeeded)
{
    Probe probe;
    Probe other;
    auto owner = std::make_unique<QObject>();
    LifetimeAssociation association(probe.release(), owner.get(), probe.handler());
    LifetimeAssociation otherTie(other.release(), owner.get(), other.handler());
    association.cancel();
    EXPECT_TRUE(probe.watched.expired());
    EXPECT_FALSE(other.watched.expired());
    EXPECT_EQ(association.owner(), nullptr);
    association.cancel();
    owner.reset();
    EXPECT_EQ(probe.calls, 0);
    EXPECT_EQ(other.calls, 1);
    EXPECT_THROW(LifetimeAssociation(std::make_shared<Target>(), nullptr, [] {}), std::invalid_argument);
}

TEST(LifetimeAssociation, DroppingATieRunsItsHandlerAndLeavesOtherTiesOfTheSameTarget)
{
    Probe probe;
    auto owner = std::make_unique<QObject>();
    std::shared_ptr<void> target = probe.release();
    auto dropped = std::make_unique<LifetimeAssociation>(target, owner.get(), probe.handler());
    LifetimeAssociation kept(target, owner.get(), probe.handler());
    target.reset();
    dropped.reset();
    EXPECT_EQ(probe.calls, 1);
    EXPECT_TRUE(probe.targetAliveAtCall);
    EXPECT_FALSE(probe.watched.expired()) << "the other tie still holds it";
    owner.reset();
    EXPECT_EQ(probe.calls, 2);
    EXPECT_TRUE(probe.watched.expired());
}

TEST(LifetimeAssociation, TargetHoldingItsOwnAssociationEndsCleanly)
{
    // An observation keeps its association and is kept alive by the tie itself.
    struct Observation
    {
        std::unique_ptr<LifetimeAssociation> lifetimeAssociation;
        int *invalidations = nullptr;
    };
    int invalidations = 0;
    auto owner = std::make_unique<QObject>();
    auto observation = std::make_shared<Observation>();
    observation->invalidations = &invalidations;
    std::weak_ptr<Observation> weakObservation = observation;
    observation->lifetimeAssociation
        = std::make_unique<LifetimeAssociation>(observation, owner.get(), [weakObservation] {
              if (auto alive = weakObservation.lock()) {
                  ++*alive->invalidations;
              }
          });
    observation.reset();
    EXPECT_FALSE(weakObservation.expired());
    owner.reset();
    EXPECT_EQ(invalidations, 1);
    EXPECT_TRUE(weakObservation.expired());
}

TEST(LifetimeAssociation, HandlerMayEndATieOfTheSameOwnerThatHasNotFiredYet)
{
    Probe other;
    auto owner = std::make_unique<QObject>();
    std::unique_ptr<LifetimeAssociation> otherTie;
    // Made first, so its handler runs while the other tie's tracker is still pending.
    LifetimeAssociation first(std::make_shared<Target>(), owner.get(), [&] { otherTie.reset(); });
    otherTie = std::make_unique<LifetimeAssociation>(other.release(), owner.get(), other.handler());
    owner.reset();
    EXPECT_EQ(otherTie, nullptr);
    EXPECT_EQ(other.calls, 1);
    EXPECT_TRUE(other.targetAliveAtCall);
    EXPECT_TRUE(other.watched.expired());
}

TEST(LifetimeAssociationConcurrency, TiesMadeFromManyThreadsOnOneOwnerAreAllKept)
{
    std::atomic<int> calls { 0 };
    auto owner = std::make_unique<QObject>();
    std::vector<std::vector<std::unique_ptr<LifetimeAssociation>>> tiesByThread(8);
    onThreads(8, [&](int t) {
        for (int i = 0; i < 100; ++i) {
            tiesByThread[t].push_back(std::make_unique<LifetimeAssociation>(
                std::make_shared<Target>(), owner.get(), [&calls] { ++calls; }));
            if (i % 2 == 0) {
                tiesByThread[t].back()->cancel();
            }
        }
    });
    owner.reset();
    EXPECT_EQ(calls.load(), 400);
}

TEST(LifetimeAssociationConcurrency, OwnersEndedOnTheirOwnThreadsRunTheirHandlersThere)
{
    std::atomic<int> onOwnThread { 0 };
    onThreads(8, [&](int) {
        for (int i = 0; i < 50; ++i) {
            const auto self = std::this_thread::get_id();
            std::optional<QObject> owner(std::in_place);
            LifetimeAssociation tie(std::make_shared<Target>(), &*owner, [&onOwnThread, self] {
                if (std::this_thread::get_id() == self) {
                    ++onOwnThread;
                }
            });
            owner.reset();
        }
    });
    EXPECT_EQ(onOwnThread.load(), 400);
}
