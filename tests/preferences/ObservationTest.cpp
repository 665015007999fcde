#include "PreferencesTestSupport.h"

#include "preferences/CompositeUserDefaultsKeyObservation.h"
#include "preferences/DefaultsObserve.h"
#include "preferences/DefaultsPropagation.h"
#include "preferences/UserDefaultsKeyObservation.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using Defaults::BaseChange;
using Defaults::ObservationOption;
using Defaults::UserDefaultsKeyObservation;

namespace {

class ObservationTest : public PreferencesTest
{
protected:
    std::shared_ptr<UserDefaultsKeyObservation> observe(
        const std::string &key, const Defaults::ObservationOptions &options = {})
    {
        auto observation = UserDefaultsKeyObservation::create(
            m_suite, key, [this](const BaseChange &change) { m_changes.push_back(change); });
        observation->start(options);
        return observation;
    }

    std::vector<BaseChange> m_changes;
};

// With Initial, the prior notice is not asked for.
TEST(ObservationOptionTest, MapsToObservingOptions)
{
    EXPECT_EQ(Defaults::kvoOptions({}), 3u);
    EXPECT_EQ(Defaults::kvoOptions({ ObservationOption::Prior }), 11u);
    EXPECT_EQ(Defaults::kvoOptions({ ObservationOption::Initial }), 7u);
    EXPECT_EQ(Defaults::kvoOptions({ ObservationOption::Initial, ObservationOption::Prior }), 7u);
}

TEST_F(ObservationTest, WritesInsideWithoutPropagationAreStoredButSilentOnThatThreadOnly)
{
    std::shared_ptr<UserDefaultsKeyObservation> observation;
    Defaults::withoutPropagation([&] {
        observation = observe("flag", { ObservationOption::Initial });
        Defaults::withoutPropagation([&] { suite().setObject("flag", 1); });
        EXPECT_TRUE(Defaults::isUpdatingValuesOnCurrentThread()) << "the outer block stays silent";
        suite().setObject("flag", 2);
    });
    EXPECT_TRUE(m_changes.empty());
    EXPECT_EQ(suite().object("flag"), PropertyValue(2));
    EXPECT_FALSE(Defaults::isUpdatingValuesOnCurrentThread());
    suite().setObject("flag", 3);
    EXPECT_EQ(m_changes.size(), 1u);

    EXPECT_THROW(Defaults::withoutPropagation([] { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_FALSE(Defaults::isUpdatingValuesOnCurrentThread());

    std::atomic<int> calls = 0;
    auto shared = UserDefaultsKeyObservation::create(m_suite, "shared", [&](const BaseChange &) { ++calls; });
    shared->start({});
    Defaults::withoutPropagation([&] { std::thread([&] { suite().setObject("shared", 1); }).join(); });
    EXPECT_EQ(calls, 1);
    std::thread([&] { Defaults::withoutPropagation([&] { suite().setObject("shared", 2); }); }).join();
    EXPECT_EQ(calls, 1);
}

TEST_F(ObservationTest, OnlyStartingRegistersAndInvalidatingOrReleasingStopsForGood)
{
    auto observation = UserDefaultsKeyObservation::create(
        m_suite, "volume", [this](const BaseChange &change) { m_changes.push_back(change); });
    suite().setObject("volume", 1);
    EXPECT_TRUE(m_changes.empty());
    EXPECT_FALSE(observation->isObserving());
    observation->start({});
    suite().setObject("volume", 2);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(m_changes[0].newValue, PropertyValue(2));
    EXPECT_EQ(m_changes[0].oldValue, PropertyValue(1));
    EXPECT_FALSE(m_changes[0].isPrior);
    m_changes.clear();

    // Invalidating or releasing stops it for good.
    auto invalidated = observe("count");
    invalidated->invalidate();
    invalidated->invalidate();
    EXPECT_FALSE(invalidated->isObserving());
    auto released = observe("count");
    released.reset();
    suite().setObject("count", 1);
    invalidated->start({});
    suite().setObject("count", 2);
    EXPECT_TRUE(m_changes.empty());

    // From inside its own callbacks, too.
    int calls = 0;
    std::shared_ptr<UserDefaultsKeyObservation> fromInitial;
    fromInitial = UserDefaultsKeyObservation::create(m_suite, "key", [&](const BaseChange &) {
        ++calls;
        fromInitial->invalidate();
    });
    fromInitial->start({ ObservationOption::Initial });
    std::shared_ptr<UserDefaultsKeyObservation> dropping;
    dropping = UserDefaultsKeyObservation::create(m_suite, "key", [&](const BaseChange &) {
        ++calls;
        dropping.reset();
    });
    dropping->start({});
    suite().setObject("key", 1);
    suite().setObject("key", 2);
    EXPECT_EQ(calls, 2);

    // A database already gone is skipped.
    auto other = UserDefaults::suite("short-lived");
    auto orphan = UserDefaultsKeyObservation::create(other, "key", [](const BaseChange &) {});
    other.reset();
    orphan->start({ ObservationOption::Initial });
    orphan->invalidate();
    EXPECT_FALSE(orphan->isObserving());
}

TEST_F(ObservationTest, ABoundObservationLivesUntilItsOwnerGoesAndSeveralKeysCallOncePerListing)
{
    auto first = std::make_unique<QObject>();
    auto owner = std::make_unique<QObject>();
    std::weak_ptr<UserDefaultsKeyObservation> weak;
    {
        auto observation = observe("count");
        weak = observation;
        observation->bindLifetime(first.get());
        // Binding again moves the tie.
        EXPECT_EQ(observation->bindLifetime(owner.get()), observation);
        EXPECT_THROW(observation->bindLifetime(nullptr), std::invalid_argument);
    }
    first.reset();
    suite().setObject("count", 1);
    EXPECT_EQ(m_changes.size(), 1u);
    owner.reset();
    EXPECT_TRUE(weak.expired());
    suite().setObject("count", 2);
    EXPECT_EQ(m_changes.size(), 1u);

    // An owner's end stops an observation held elsewhere too.
    owner = std::make_unique<QObject>();
    auto held = observe("held");
    held->bindLifetime(owner.get());
    owner.reset();
    EXPECT_FALSE(held->isObserving());
    suite().setObject("held", 1);
    EXPECT_EQ(m_changes.size(), 1u);

    // Several keys call once for each listing.
    const Defaults::Key<bool> a("a", false, m_suite);
    const Defaults::Key<bool> b("b", false, m_suite);
    int calls = 0;
    auto composite = Defaults::observe({ a, b, a }, { ObservationOption::Initial }, [&] { ++calls; });
    EXPECT_EQ(calls, 3);
    suite().setObject("a", 1);
    EXPECT_EQ(calls, 5);
    suite().setObject("b", 1);
    EXPECT_EQ(calls, 6);
    composite->invalidate();
    suite().setObject("a", 2);
    EXPECT_EQ(calls, 6);
}

TEST_F(ObservationTest, UnbindingLeavesItToTheOtherHoldersAndBindingAloneRegistersNothing)
{
    auto owner = std::make_unique<QObject>();
    auto held = observe("held");
    held->bindLifetime(owner.get());
    held->unbindLifetime();
    owner.reset();
    EXPECT_TRUE(held->isObserving());

    auto secondOwner = std::make_unique<QObject>();
    std::weak_ptr<UserDefaultsKeyObservation> weak;
    {
        auto loose = observe("loose");
        weak = loose;
        loose->bindLifetime(secondOwner.get());
    }
    weak.lock()->unbindLifetime();
    EXPECT_TRUE(weak.expired());
    suite().setObject("loose", 1);
    EXPECT_TRUE(m_changes.empty());

    // Binding alone, never started, registers nothing.
    int calls = 0;
    Defaults::CompositeUserDefaultsKeyObservation::create({ { m_suite, "a" } }, [&] {
        ++calls;
    })->bindLifetime(secondOwner.get());
    suite().setObject("a", 1);
    EXPECT_EQ(calls, 0);
}

TEST_F(ObservationTest, InvalidateWaitsForACallbackUnderWayOnAnotherThread)
{
    std::atomic<bool> entered = false;
    std::atomic<bool> finished = false;
    auto observation = UserDefaultsKeyObservation::create(m_suite, "slow", [&](const BaseChange &) {
        entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finished = true;
    });
    observation->start({});
    std::thread writer([&] { suite().setObject("slow", 1); });
    while (!entered) {
        std::this_thread::yield();
    }
    observation->invalidate();
    EXPECT_TRUE(finished);
    writer.join();
}

TEST_F(ObservationTest, WritersOnSeveralThreadsWhileAnotherInvalidates)
{
    std::atomic<int> calls = 0;
    auto observation
        = UserDefaultsKeyObservation::create(m_suite, "busy", [&](const BaseChange &) { ++calls; });
    observation->start({});
    std::atomic<bool> stop = false;
    std::vector<std::thread> writers;
    for (int index = 0; index < 4; ++index) {
        writers.emplace_back([&, index] {
            for (int round = 0; !stop; ++round) {
                suite().setObject("busy", index * 100000 + round);
            }
        });
    }
    while (calls < 50) {
        std::this_thread::yield();
    }
    observation->invalidate();
    const int afterInvalidate = calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
    for (std::thread &writer : writers) {
        writer.join();
    }
    EXPECT_EQ(calls, afterInvalidate);
}

} // namespace
