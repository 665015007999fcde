#include "kit/collections/AtomicDictionary.h"
#include "kit/collections/Debouncer.h"
#include "kit/collections/FirstNonNil.h"
#include "kit/collections/KeyValueSequence.h"
#include "kit/collections/Once2.h"
#include "kit/collections/OrderedDictionary.h"

#include "EventLoop.h"

#include <gtest/gtest.h>

#include <QString>

#include <map>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Unhashable
{
    friend bool operator==(const Unhashable &, const Unhashable &) = default;
};

} // namespace

// Which holders of pairs count as sequences, and which also as collections.
static_assert(HashableKeyValueCollection<std::unordered_map<QString, int>>);
static_assert(HashableKeyValueCollection<OrderedDictionary<QString, int>>);
static_assert(KeyValueCollection<std::vector<std::pair<Unhashable, int>>>);
static_assert(!HashableKeyValueSequence<std::vector<std::pair<Unhashable, int>>>);
static_assert(HashableKeyValueSequence<AtomicDictionary<QString, int>>);
static_assert(!KeyValueCollection<AtomicDictionary<QString, int>>);
static_assert(!KeyValueSequence<std::vector<int>>);
static_assert(std::same_as<KeyValueKey<std::map<QString, int>>, QString>);
static_assert(std::same_as<KeyValueValue<std::map<QString, int>>, int>);

TEST(Once2, RunsItsWorkOnlyOnTheFirstCallEvenFromWithinItAndReleasesItUnrun)
{
    int runs = 0;
    Once2<int> once([&] { return ++runs * 10; });
    EXPECT_FALSE(once.isExecuted());
    EXPECT_EQ(once(), 10);
    EXPECT_EQ(once(), std::nullopt);
    EXPECT_TRUE(once.isExecuted());

    std::optional<Once2<void>> reentrant;
    bool innerRan = true;
    reentrant.emplace([&] { innerRan = (*reentrant)(); });
    EXPECT_TRUE((*reentrant)());
    EXPECT_FALSE(innerRan);
    EXPECT_EQ(runs, 1);

    auto held = std::make_shared<int>(1);
    const std::weak_ptr<int> watch = held;
    std::optional<Once2<void>> unrun(std::in_place, [held = std::move(held)] {});
    unrun.reset();
    EXPECT_TRUE(watch.expired()) << "dropping it unrun releases the work";
}

TEST(Debouncer, RunsOnlyTheLatestCallOnceTheDelayHasPassedAndNothingCancelledOrDropped)
{
    std::vector<int> ran;
    {
        Debouncer dropped(10ms);
        dropped.call([&] { ran.push_back(0); });
    }
    Debouncer cancelled(10ms);
    cancelled.call([&] { ran.push_back(0); });
    cancelled.cancel();
    Debouncer debouncer(60ms);
    const auto start = std::chrono::steady_clock::now();
    for (int call = 1; call <= 3; ++call) {
        debouncer.call([&ran, call] { ran.push_back(call); });
    }
    EXPECT_TRUE(debouncer.isPending());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !ran.empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(ran, std::vector<int> { 3 });
    EXPECT_FALSE(debouncer.isPending());
}

TEST(FirstNonNil, StopsAtTheFirstValueAndPassesErrorsOn)
{
    const std::vector<int> numbers { 1, 4, 9, 16 };
    std::vector<int> tried;
    const auto evenSquareRoot = [&](int n) -> std::optional<int> {
        tried.push_back(n);
        return n > 1 && n % 2 == 0 ? std::optional(n / 2) : std::nullopt;
    };
    EXPECT_EQ(firstNonNil(numbers, evenSquareRoot), 2);
    EXPECT_EQ(tried, (std::vector<int> { 1, 4 }));
    EXPECT_EQ(firstNonNil(std::vector<int> { 1, 3 }, evenSquareRoot), std::nullopt);
    EXPECT_THROW(firstNonNil(numbers, [](int) -> std::optional<int> { throw std::runtime_error("no"); }),
        std::runtime_error);
}
