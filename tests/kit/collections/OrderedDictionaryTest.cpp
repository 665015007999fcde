#include "kit/collections/OrderedDictionary.h"

#include <gtest/gtest.h>

#include <QString>
#include <QVariant>

#include <vector>

using Dictionary = OrderedDictionary<QString, int>;
using Keys = std::vector<QString>;

TEST(OrderedDictionary, KeysKeepTheirFirstPositionUntilRemoved)
{
    Dictionary dictionary;
    dictionary.setValue("b", 1);
    dictionary.setValue("a", 2);
    dictionary.setValue("b", 3);
    EXPECT_EQ(dictionary.keys(), (Keys { "b", "a" }));
    EXPECT_EQ(dictionary.value("b"), 3);

    dictionary.setValue("b", std::nullopt);
    EXPECT_FALSE(dictionary.contains("b"));
    EXPECT_EQ(dictionary.value("b"), std::nullopt);
    dictionary.setValue("b", 4);
    EXPECT_EQ(dictionary.keys(), (Keys { "a", "b" }));
    const Dictionary before = dictionary;
    dictionary.remove("absent");
    EXPECT_EQ(dictionary, before);

    // A key repeated among the pairs keeps its first position and its last value.
    const Dictionary fromPairs(std::vector<std::pair<QString, int>> { { "a", 1 }, { "b", 2 }, { "a", 3 } });
    std::vector<std::pair<QString, int>> walked;
    for (const auto &[key, value] : fromPairs) {
        walked.emplace_back(key, value);
    }
    EXPECT_EQ(walked, (std::vector<std::pair<QString, int>> { { "a", 3 }, { "b", 2 } }));
    EXPECT_EQ(fromPairs[0].first, "a");
    EXPECT_EQ(fromPairs.at(1).second, 2);
    EXPECT_THROW(fromPairs.at(2), std::out_of_range);
}

TEST(OrderedDictionary, EqualityDependsOnOrderAndASliceKeepsThoseEntriesPositionedFromZero)
{
    const Dictionary dictionary { { "a", 1 }, { "b", 2 }, { "c", 3 }, { "d", 4 } };
    EXPECT_NE(dictionary.slice(0, 2), (Dictionary { { "b", 2 }, { "a", 1 } }));
    EXPECT_NE(dictionary.slice(0, 2), (Dictionary { { "a", 1 }, { "b", 3 } }));
    EXPECT_EQ(std::hash<Dictionary> {}(dictionary.slice(0, 2)),
        std::hash<Dictionary> {}(Dictionary { { "a", 1 }, { "b", 2 } }));
    const Dictionary slice = dictionary.slice(1, 3);
    EXPECT_EQ(slice, (Dictionary { { "b", 2 }, { "c", 3 } }));
    EXPECT_EQ(slice[0].first, "b");
    EXPECT_TRUE(dictionary.slice(4, 4).isEmpty());
    EXPECT_THROW(dictionary.slice(3, 5), std::out_of_range);
    EXPECT_THROW(dictionary.slice(2, 1), std::out_of_range);
}

TEST(OrderedDictionary, DescriptionQuotesStringsAndPrintsOtherValuesPlainly)
{
    EXPECT_EQ(Dictionary().description(), "[:]");
    OrderedDictionary<QString, QVariant> facts;
    facts.setValue("a", 1);
    facts.setValue("b", "x");
    facts.setValue("c", true);
    facts.setValue("d", 2.0);
    facts.setValue("e", QVariant());
    EXPECT_EQ(facts.description(), R"(["a": 1, "b": "x", "c": true, "d": 2.0, "e": nil])");
    // Characters of strings are written unchanged, not escaped.
    EXPECT_EQ((OrderedDictionary<int, QString> { { 1, R"(say "hi")" } }).description(), R"([1: "say "hi""])");
    EXPECT_EQ((OrderedDictionary<QString, double> { { "a", 0.1 }, { "b", 1e20 } }).description(),
        R"(["a": 0.1, "b": 1e+20])");
}
