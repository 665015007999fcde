#include "kit/foundation/values/Sorting.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

struct Song
{
    QString title;
    int year;
    double rating;
};

std::vector<QString> titles(const std::vector<Song> &songs)
{
    std::vector<QString> result;
    for (const auto &song : songs) {
        result.push_back(song.title);
    }
    return result;
}

const std::vector<Song> library {
    { "b", 2001, 4.5 },
    { "a", 1999, 3.0 },
    { "c", 2001, 5.0 },
    { "d", 1999, 4.5 },
};

} // namespace

TEST(SortingTest, ByReturnValueOrInPlaceByMemberStablyInEitherOrderAskingOncePerElement)
{
    const std::vector<int> numbers { 3, 1, 2 };
    int calls = 0;
    const auto counted = [&calls](int value) { return ++calls, value; };
    EXPECT_EQ(sortedByReturnValue(numbers, SortOrder::reverse, counted), (std::vector<int> { 3, 2, 1 }));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(sortedByReturnValue(numbers, SortOrder::forward, counted), (std::vector<int> { 1, 2, 3 }));
    EXPECT_EQ(sortedByReturnValue(QList<QString> { "ccc", "a", "bb" }, SortOrder::forward, &QString::size),
        (std::vector<QString> { "a", "bb", "ccc" }));
    const auto failing = [](int value) { return value == 2 ? throw std::runtime_error("no value") : value; };
    EXPECT_THROW(sortedByReturnValue(numbers, SortOrder::forward, failing), std::runtime_error);

    std::vector<Song> songs = library;
    sortBy(songs, &Song::year);
    EXPECT_EQ(titles(songs), (std::vector<QString> { "a", "d", "b", "c" }));
    sortBy(songs, &Song::year, SortOrder::reverse);
    EXPECT_EQ(titles(songs), (std::vector<QString> { "b", "c", "a", "d" }));
}

TEST(SortingTest, NaNKeepsAStrictWeakOrdering)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> values;
    for (int i = 0; i < 200; ++i) {
        values.push_back(i % 3 == 0 ? nan : double((i * 37) % 101));
    }
    std::vector<double> forward = values;
    sortBy(forward, [](double value) { return value; });
    const auto firstNaN
        = std::find_if(forward.begin(), forward.end(), [](double v) { return std::isnan(v); });
    EXPECT_TRUE(std::is_sorted(forward.begin(), firstNaN));
    EXPECT_TRUE(std::all_of(firstNaN, forward.end(), [](double v) { return std::isnan(v); }));
    EXPECT_EQ(std::count_if(forward.begin(), forward.end(), [](double v) { return std::isnan(v); }), 67);

    const auto reversed = sortedByReturnValue(values, SortOrder::reverse, [](double v) { return v; });
    EXPECT_TRUE(std::isnan(reversed.front()));
    EXPECT_DOUBLE_EQ(reversed.back(), 0);
}

TEST(SortDescriptorTest, FirstDescriptorThatTellsApartDecidesAndNoneKeepsTheInputOrder)
{
    const std::vector descriptors { SortDescriptor<Song>::reverse(&Song::year),
        SortDescriptor<Song>::forward(&Song::rating) };
    EXPECT_EQ(titles(sortedBy(library, descriptors)), (std::vector<QString> { "b", "c", "a", "d" }));
    std::vector<Song> songs = library;
    sortBy(songs, std::vector { SortDescriptor<Song>::reverse(&Song::rating) });
    EXPECT_EQ(titles(songs), (std::vector<QString> { "c", "b", "d", "a" }));
    EXPECT_EQ(titles(sortedBy(library, std::vector<SortDescriptor<Song>> {})),
        (std::vector<QString> { "b", "a", "c", "d" }));
}

TEST(SortDescriptorTest, ComparesByTheProjectedValue)
{
    // Which way each order runs is checked through sorting; here, what the comparison answers.
    const auto reverse = SortDescriptor<Song>::reverse(&Song::year);
    EXPECT_EQ(reverse.compare(library[1], library[0]), ComparisonResult::orderedDescending);
    EXPECT_EQ(reverse.compare(library[0], library[2]), ComparisonResult::orderedSame);
    const auto byRating = SortDescriptor<Song>::forward(&Song::rating);
    const Song unrated { "x", 0, std::nan("") };
    EXPECT_EQ(byRating.compare(unrated, unrated), ComparisonResult::orderedSame);
    EXPECT_EQ(byRating.compare(library[0], unrated), ComparisonResult::orderedAscending);
    EXPECT_EQ(byRating.compare(unrated, library[0]), ComparisonResult::orderedDescending);
}
