#include "kit/collections/OrderedDictionary.h"

#include <gtest/gtest.h>

#include <QString>
#include <QVariant>

#include <vector>

namespace {

using Dictionary = OrderedDictionary<QString, int>;

std::vector<QString> keysOf(const Dictionary &dictionary)
{
    std::vector<QString> keys;
    for (const auto &[key, value] : dictionary) {
        keys.push_back(key);
    }
    return keys;
}

const QString a = QStringLiteral("a");
const QString b = QStringLiteral("b");
const QString c = QStringLiteral("c");
const QString d = QStringLiteral("d");

} // namespace

TEST(OrderedDictionary, UpdatingAKeyKeepsItsPosition)
{
    Dictionary dictionary;
    dictionary.setValue(b, 1);
    dictionary.setValue(a, 2);
    dictionary.setValue(b, 3);
    EXPECT_EQ(keysOf(dictionary), (std::vector<QString> { b, a }));
    EXPECT_EQ(dictionary.value(b), 3);
    EXPECT_EQ(dictionary.keys(), (std::vector<QString> { b, a }));
}

TEST(OrderedDictionary, RemovingAndSettingAgainMovesTheKeyToTheEnd)
{
    Dictionary dictionary { { a, 1 }, { b, 2 }, { c, 3 } };
    dictionary.setValue(a, std::nullopt);
    EXPECT_FALSE(dictionary.contains(a));
    EXPECT_EQ(dictionary.value(a), std::nullopt);
    EXPECT_EQ(keysOf(dictionary), (std::vector<QString> { b, c }));
    dictionary.setValue(a, 4);
    EXPECT_EQ(keysOf(dictionary), (std::vector<QString> { b, c, a }));
    const Dictionary before = dictionary;
    dictionary.remove(d);
    EXPECT_EQ(dictionary, before);
}

TEST(OrderedDictionary, EqualityDependsOnOrder)
{
    const Dictionary forward { { a, 1 }, { b, 2 } };
    const Dictionary backward { { b, 2 }, { a, 1 } };
    const Dictionary differentValue { { a, 1 }, { b, 3 } };
    EXPECT_NE(forward, backward);
    EXPECT_NE(forward, differentValue);
    EXPECT_EQ(forward, (Dictionary { { a, 1 }, { b, 2 } }));
    EXPECT_EQ(std::hash<Dictionary> {}(forward), std::hash<Dictionary> {}(Dictionary { { a, 1 }, { b, 2 } }));
}

TEST(OrderedDictionary, RepeatedKeyInPairsKeepsFirstPositionAndLastValue)
{
    const std::vector<std::pair<QString, int>> pairs { { a, 1 }, { b, 2 }, { a, 3 } };
    const Dictionary dictionary(pairs);
    EXPECT_EQ(keysOf(dictionary), (std::vector<QString> { a, b }));
    EXPECT_EQ(dictionary.value(a), 3);
    EXPECT_EQ(dictionary[0].first, a);
    EXPECT_EQ(dictionary.at(1).second, 2);
    EXPECT_THROW(dictionary.at(2), std::out_of_range);
}

TEST(OrderedDictionary, SliceKeepsThoseEntriesPositionedFromZero)
{
    const Dictionary dictionary { { a, 1 }, { b, 2 }, { c, 3 }, { d, 4 } };
    const Dictionary slice = dictionary.slice(1, 3);
    EXPECT_EQ(slice, (Dictionary { { b, 2 }, { c, 3 } }));
    EXPECT_EQ(slice[0].first, b);
    EXPECT_TRUE(dictionary.slice(4, 4).isEmpty());
    EXPECT_THROW(dictionary.slice(3, 5), std::out_of_range);
    EXPECT_THROW(dictionary.slice(2, 1), std::out_of_range);
}

TEST(OrderedDictionary, DescriptionQuotesStringsAndPrintsOtherValuesPlainly)
{
    EXPECT_EQ(Dictionary().description(), QStringLiteral("[:]"));
    OrderedDictionary<QString, QVariant> facts;
    facts.setValue(a, 1);
    facts.setValue(b, QStringLiteral("x"));
    EXPECT_EQ(facts.description(), QStringLiteral("[\"a\": 1, \"b\": \"x\"]"));
    facts.setValue(c, true);
    facts.setValue(d, 2.0);
    facts.setValue(QStringLiteral("e"), QVariant());
    EXPECT_EQ(
        facts.description(), QStringLiteral("[\"a\": 1, \"b\": \"x\", \"c\": true, \"d\": 2.0, \"e\": nil]"));
    // Characters of strings are written unchanged, not escaped.
    OrderedDictionary<int, QString> quoted { { 1, QStringLiteral("say \"hi\"") } };
    EXPECT_EQ(quoted.description(), QStringLiteral("[1: \"say \"hi\"\"]"));
    OrderedDictionary<QString, double> numbers { { a, 0.1 }, { b, 1e20 } };
    EXPECT_EQ(numbers.description(), QStringLiteral("[\"a\": 0.1, \"b\": 1e+20]"));
}
