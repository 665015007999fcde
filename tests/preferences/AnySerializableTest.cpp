#include "PreferencesTestSupport.h"

#include <QColor>

#include <unordered_set>

namespace {

using Defaults::AnySerializable;
using Defaults::Key;

using AnySerializableTest = PreferencesTest;

TEST_F(AnySerializableTest, ReadsAsTheKindsItsValueConvertsToAndAKeyWritesBackWhatItRead)
{
    const AnySerializable five = 5;
    EXPECT_EQ(five.get<std::int64_t>(), 5);
    EXPECT_EQ(five.get<double>(), 5.0);
    EXPECT_EQ(five.get<std::string>(), std::nullopt);
    EXPECT_EQ(AnySerializable(TestIcon::circle).get<TestIcon>(), TestIcon::circle);

    AnySerializable value = 1;
    value.set(TestPoint { 3, 4 });
    EXPECT_EQ(value.value(), PropertyValue(R"({"x":3,"y":4})"));
    EXPECT_EQ(value.get<TestPoint>(), (TestPoint { 3, 4 }));
    value.set(QColor());
    EXPECT_TRUE(value.isNil());
    EXPECT_EQ(value.get<std::string>(), std::nullopt);
    // Container literals leave out what holds nothing.
    EXPECT_EQ(AnySerializable::array({ 1, AnySerializable(), "a" }).value(),
        PropertyValue(PropertyArray { PropertyValue(1), PropertyValue("a") }));

    // A key reads whatever is stored and writes it back unchanged.
    const Key<AnySerializable> key("any", m_suite);
    EXPECT_TRUE(Defaults::get(key).isNil());
    const PropertyValue stored(
        PropertyDictionary { { "list", PropertyValue(PropertyArray { PropertyValue(1.5) }) } });
    m_suite->setObject("any", stored);
    const AnySerializable read = Defaults::get(key);
    EXPECT_EQ(read.value(), stored);
    EXPECT_EQ((read.get<std::map<std::string, std::vector<double>>>()),
        (std::map<std::string, std::vector<double>> { { "list", { 1.5 } } }));
    m_suite->removeObject("any");
    Defaults::set(key, read);
    EXPECT_EQ(m_suite->object("any"), stored);
    // A value that does not serialise holds nothing, and writing it removes the key.
    Defaults::set(key, AnySerializable(QColor()));
    EXPECT_EQ(m_suite->object("any"), std::nullopt);
}

TEST_F(AnySerializableTest, EqualityFollowsStoredNumbersAndEqualValuesHashAlike)
{
    const PropertyDate date(std::chrono::nanoseconds(5));
    const std::uint64_t largest = 18446744073709551615u;
    const std::tuple<const char *, AnySerializable, AnySerializable, bool> cases[] = {
        { "1 is true", 1, true, true },
        { "2 is no Boolean", 2, true, false },
        { "5 is 5.0", 300, 300.0, true },
        { "largest unsigned", largest, largest, true },
        { "signed zeros", 0.0, -0.0, true },
        { "NaN", std::nan(""), std::nan(""), false },
        { "text is no number", "1", 1, false },
        { "nothing is not even itself", AnySerializable(), AnySerializable(), false },
        { "arrays in order", AnySerializable::array({ 1, "a" }), AnySerializable::array({ 1, "a" }), true },
        { "arrays out of order", AnySerializable::array({ 1, "a" }), AnySerializable::array({ "a", 1 }),
            false },
        { "arrays of other length", AnySerializable::array({ 1 }), AnySerializable::array({ 1, 1 }), false },
        { "dictionaries in any order", AnySerializable::dictionary({ { "a", 1 }, { "b", "x" } }),
            AnySerializable::dictionary({ { "b", "x" }, { "a", true } }), true },
        { "dictionaries of other values", AnySerializable::dictionary({ { "x", 1 } }),
            AnySerializable::dictionary({ { "x", 2 } }), false },
        { "data", QByteArray("ab"), QByteArray("ab"), true },
        { "data is no text", QByteArray("ab"), std::string("ab"), false },
        { "dates", date, date, true },
        { "a date is no number", date, 5, false },
    };
    for (const auto &[what, lhs, rhs, equal] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(lhs == rhs, equal);
        if (equal) {
            EXPECT_EQ(lhs.hash(), rhs.hash());
        }
    }
    EXPECT_EQ(AnySerializable().hash(), std::size_t(0));
    EXPECT_NE(AnySerializable::array({ 1, 2 }).hash(), AnySerializable::array({ 2, 1 }).hash());
    std::unordered_set<AnySerializable> set { AnySerializable(1), AnySerializable(true), AnySerializable(2) };
    EXPECT_EQ(set.size(), 2u);
}

TEST(AnySerializableDeathTest, RepeatedDictionaryLiteralKeyStopsTheProgram)
{
    EXPECT_DEATH(AnySerializable::dictionary({ { "k", 1 }, { "k", 2 } }), "given twice");
}

} // namespace
