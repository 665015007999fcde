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

TEST(AtomicDictionary, IterationWalksASnapshotTakenWhenItBegins)
{
    AtomicDictionary<QString, int> dictionary;
    dictionary.setValue(QStringLiteral("a"), 1);
    auto iterator = dictionary.begin();
    dictionary.setValue(QStringLiteral("b"), 2);
    std::vector<std::pair<QString, int>> seen;
    for (; iterator != dictionary.end(); ++iterator) {
        seen.emplace_back(iterator->first, iterator->second);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<QString, int>> { { QStringLiteral("a"), 1 } }));
    int total = 0;
    for (const auto &[key, value] : dictionary) {
        total += value;
    }
    EXPECT_EQ(total, 3);
}

TEST(Once2, RunsItsWorkOnlyOnTheFirstCallEvenFromWithinIt)
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
}

TEST(Once2, DroppingItUnrunReleasesTheWork)
{
    auto held = std::make_shared<int>(1);
    std::weak_ptr<int> watch = held;
    {
        Once2<void> once([held = std::move(held)] {});
    }
    EXPECT_TRUE(watch.expired());
}

TEST(Debouncer, RunsOnlyTheLatestCallOnceTheDelayHasPassed)
{
    Debouncer debouncer(std::chrono::milliseconds(60));
    std::vector<int> ran;
    const auto start = std::chrono::steady_clock::now();
    for (int call = 1; call <= 3; ++call) {
        debouncer.call([&ran, call] { ran.push_back(call); });
    }
    EXPECT_TRUE(debouncer.isPending());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !ran.empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    TestSupport::processEventsFor(std::chrono::milliseconds(100));
    EXPECT_EQ(ran, std::vector<int> { 3 });
    EXPECT_FALSE(debouncer.isPending());
}

TEST(Debouncer, CancelledOrDroppedWorkNeverRuns)
{
    bool ran = false;
    {
        Debouncer dropped(std::chrono::milliseconds(10));
        dropped.call([&] { ran = true; });
    }
    Debouncer cancelled(std::chrono::milliseconds(10));
    cancelled.call([&] { ran = true; });
    cancelled.cancel();
    TestSupport::processEventsFor(std::chrono::milliseconds(60));
    EXPECT_FALSE(ran);
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
