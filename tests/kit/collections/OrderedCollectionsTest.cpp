#include "kit/collections/EnumCaseMap.h"
#include "kit/collections/IndexedCollection.h"
#include "kit/collections/NeighborSequence.h"
#include "kit/collections/OrderedSet.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <ranges>
#include <vector>

namespace {

using Set = OrderedSet<int>;
using Ints = std::vector<int>;

static_assert(std::ranges::random_access_range<Set>);
static_assert(std::ranges::random_access_range<IndexedCollection<std::vector<QString>>>);

enum class Color { red, green, blue };

} // namespace

template<>
struct EnumCases<Color>
{
    static std::vector<Color> all() { return { Color::red, Color::green, Color::blue }; }
};

TEST(OrderedSet, KeepsFirstInsertionOrderAndMembershipInStep)
{
    Set set(Ints { 3, 1, 3, 2, 1 });
    EXPECT_EQ(set.contents(), (Ints { 3, 1, 2 }));
    EXPECT_FALSE(set.append(1));
    EXPECT_EQ(std::ranges::find(set, 2) - set.begin(), 2);
    EXPECT_EQ(set[1], 1);
    EXPECT_EQ(set.remove(1), 1);
    EXPECT_FALSE(set.contains(1));
    EXPECT_EQ(set.remove(1), std::nullopt);
    EXPECT_TRUE(set.append(1));
    EXPECT_EQ(set.contents(), (Ints { 3, 2, 1 }));
    EXPECT_EQ(set.removeLast(), 1);
    EXPECT_EQ(set.removeFirst(), 3);
    EXPECT_FALSE(set.contains(3));
    EXPECT_TRUE(set.append(3));
    EXPECT_TRUE(set.append(1));
    EXPECT_EQ(set.contents(), (Ints { 2, 3, 1 }));
    EXPECT_EQ((Set { 1, 2 }), (Set { 1, 2, 1 }));
    EXPECT_NE((Set { 1, 2 }), (Set { 2, 1 }));

    for (const bool keepingCapacity : { true, false }) {
        Set emptied { 1, 2 };
        emptied.removeAll(keepingCapacity);
        EXPECT_TRUE(emptied.isEmpty());
        EXPECT_FALSE(emptied.contains(1));
        EXPECT_THROW(emptied.removeFirst(), std::out_of_range);
        EXPECT_THROW(emptied.removeLast(), std::out_of_range);
        EXPECT_TRUE(emptied.append(1));
    }
}

TEST(EnumCaseMap, WalksTheCasesLeftInDeclarationOrder)
{
    const std::unordered_map<Color, int> values { { Color::red, 1 }, { Color::green, 2 },
        { Color::blue, 3 } };
    using Colors = std::vector<Color>;
    for (const auto &[excluded, keys] :
        { std::pair(Colors {}, Colors { Color::red, Color::green, Color::blue }),
            std::pair(Colors { Color::green }, Colors { Color::red, Color::blue }) }) {
        EnumCaseMap<Color, int> map(values, excluded);
        Colors walked;
        for (const auto &[key, value] : map) {
            walked.push_back(key);
            EXPECT_EQ(value, values.at(key));
        }
        EXPECT_EQ(walked, keys);
        EXPECT_EQ(map.keys(), keys);
        EXPECT_EQ(map.count(), keys.size());
        EXPECT_EQ(map.values().size(), 3u);
        EXPECT_EQ(map[map.count() - 1].first, keys.back());
        // Replacing a value, even of an excluded case, keeps the cases.
        map.setValue(Color::green, 20);
        map[Color::blue] += 30;
        EXPECT_EQ(map[Color::green], 20);
        EXPECT_EQ(map.keys(), keys);
        EXPECT_EQ(map[map.count() - 1], std::pair(Color::blue, 33));
    }
    EnumCaseMap<Color, int> partial({ { Color::red, 1 } });
    EXPECT_THROW(partial.setValue(Color::blue, 3), std::out_of_range);
    EXPECT_THROW(partial[1], std::out_of_range);
}

TEST(IndexedCollection, PairsPositionsWithElements)
{
    const std::vector<QString> lines { "zero", "one", "two", "three", "four", "five", "six" };
    using Pair = std::pair<std::size_t, QString>;

    const auto slice = indexedSlice(lines, 2, 5);
    const std::vector<Pair> expected { { 2, "two" }, { 3, "three" }, { 4, "four" } };
    EXPECT_EQ(std::vector<Pair>(slice.begin(), slice.end()), expected);
    EXPECT_EQ(slice[3], (Pair { 3, "three" }));
    EXPECT_EQ(slice.end() - slice.begin(), 3);
    EXPECT_EQ((*(slice.end() - 1)).first, 4u);
    EXPECT_EQ(slice.endIndex(), 5u);

    const IndexedCollection whole(lines);
    EXPECT_EQ(whole[6], (Pair { 6, "six" }));
    EXPECT_TRUE(IndexedCollection(std::vector<QString>()).isEmpty());
}

TEST(NeighborSequence, GivesEachElementItsNeighbours)
{
    using Neighbors = NeighborSequence<std::ranges::ref_view<const Ints>>::Neighbors;
    const std::vector<std::pair<Ints, std::vector<Neighbors>>> cases {
        { { 1, 2, 3 }, { { std::nullopt, 1, 2 }, { 1, 2, 3 }, { 2, 3, std::nullopt } } },
        { { 7 }, { { std::nullopt, 7, std::nullopt } } },
        { {}, {} },
    };
    for (const auto &[input, expected] : cases) {
        std::vector<Neighbors> seen;
        for (const Neighbors &neighbors : neighbors(input)) {
            seen.push_back(neighbors);
        }
        EXPECT_EQ(seen, expected);
    }
}

TEST(NeighborSequence, ReadsTheBaseOneElementAheadOfTheDelivered)
{
    const Ints input { 1, 2, 3 };
    int reads = 0;
    auto sequence = neighbors(input | std::views::transform([&reads](int value) {
        ++reads;
        return value;
    }));
    auto iterator = sequence.begin();
    EXPECT_EQ(reads, 2) << "the first triple and its next element";
    ++iterator;
    EXPECT_EQ((*iterator).current, 2);
    EXPECT_EQ(reads, 3);
    ++iterator;
    ++iterator;
    EXPECT_TRUE(iterator == sequence.end());
    EXPECT_EQ(reads, 3);
}
