#include "PreferencesTestSupport.h"

#include <QColor>

#include <unordered_set>

namespace {

using Defaults::AnySerializable;
using Defaults::Key;

class AnySerializableTest : public PreferencesTest
{
};

TEST_F(AnySerializableTest, IntegerReadsAsNumbersButNotAsText)
{
    const AnySerializable five = 5;
    EXPECT_EQ(five.get<std::int64_t>(), 5);
    EXPECT_EQ(five.get<double>(), 5.0);
    EXPECT_EQ(five.get<std::string>(), std::nullopt);
    EXPECT_EQ(AnySerializable("text").get<std::string>(), "text");
    EXPECT_EQ(AnySerializable(TestIcon::circle).get<TestIcon>(), TestIcon::circle);
}

TEST_F(AnySerializableTest, ValueThatDoesNotSerialiseHoldsNothingAndRemovesTheKey)
{
    const AnySerializable nothing { QColor() };
    EXPECT_TRUE(nothing.isNil());
    EXPECT_EQ(nothing.get<std::int64_t>(), std::nullopt);
    EXPECT_EQ(nothing.get<std::string>(), std::nullopt);

    const Key<AnySerializable> key("any", m_suite);
    Defaults::set(key, AnySerializable(3));
    EXPECT_EQ(m_suite->object("any"), PropertyValue(3));
    Defaults::set(key, nothing);
    EXPECT_EQ(m_suite->object("any"), std::nullopt);
}

TEST_F(AnySerializableTest, ValuesHoldingNothingAreUnequalAndHashNothing)
{
    EXPECT_FALSE(AnySerializable() == AnySerializable());
    EXPECT_EQ(AnySerializable().hash(), std::size_t(0));
}

TEST_F(AnySerializableTest, NumbersCompareByValueAcrossKinds)
{
    // As stored numbers do: 1 is true, 5 is 5.0, 2 is no Boolean.
    EXPECT_TRUE(AnySerializable(1) == AnySerializable(true));
    EXPECT_TRUE(AnySerializable(5) == AnySerializable(5.0));
    EXPECT_FALSE(AnySerializable(2) == AnySerializable(true));
    EXPECT_FALSE(AnySerializable(std::nan("")) == AnySerializable(std::nan("")));
    EXPECT_FALSE(AnySerializable("1") == AnySerializable(1));
    EXPECT_TRUE(AnySerializable(0.0) == AnySerializable(-0.0));
}

TEST_F(AnySerializableTest, EqualValuesHashAlike)
{
    const std::vector<std::pair<AnySerializable, AnySerializable>> pairs {
        { AnySerializable(1), AnySerializable(true) },
        { AnySerializable(300), AnySerializable(300.0) },
        { AnySerializable(std::uint64_t(18446744073709551615u)),
            AnySerializable(std::uint64_t(18446744073709551615u)) },
        { AnySerializable(0.0), AnySerializable(-0.0) },
        { AnySerializable(0.1), AnySerializable(0.1) },
        { AnySerializable::dictionary({ { "a", 1 }, { "b", "x" } }),
            AnySerializable::dictionary({ { "b", "x" }, { "a", true } }) },
    };
    for (const auto &[lhs, rhs] : pairs) {
        ASSERT_TRUE(lhs == rhs);
        EXPECT_EQ(lhs.hash(), rhs.hash());
    }
    std::unordered_set<AnySerializable> set { AnySerializable(1), AnySerializable(true), AnySerializable(2) };
    EXPECT_EQ(set.size(), 2u);
}

TEST_F(AnySerializableTest, ArraysCompareInOrderDictionariesRegardlessOfOrder)
{
    EXPECT_TRUE(AnySerializable::array({ 1, "a" }) == AnySerializable::array({ 1, "a" }));
    EXPECT_FALSE(AnySerializable::array({ 1, "a" }) == AnySerializable::array({ "a", 1 }));
    EXPECT_FALSE(AnySerializable::array({ 1 }) == AnySerializable::array({ 1, 1 }));
    EXPECT_TRUE(AnySerializable::dictionary({ { "x", 1 }, { "y", 2 } })
        == AnySerializable::dictionary({ { "y", 2 }, { "x", 1 } }));
    EXPECT_FALSE(AnySerializable::dictionary({ { "x", 1 } }) == AnySerializable::dictionary({ { "x", 2 } }));
    EXPECT_NE(AnySerializable::array({ 1, 2 }).hash(), AnySerializable::array({ 2, 1 }).hash());
}

TEST_F(AnySerializableTest, DataAndDatesCompareByContent)
{
    const PropertyDate date(std::chrono::nanoseconds(5));
    EXPECT_TRUE(AnySerializable(QByteArray("ab")) == AnySerializable(QByteArray("ab")));
    EXPECT_FALSE(AnySerializable(QByteArray("ab")) == AnySerializable(std::string("ab")));
    EXPECT_TRUE(AnySerializable(date) == AnySerializable(date));
    EXPECT_FALSE(AnySerializable(date) == AnySerializable(5));
}

TEST_F(AnySerializableTest, KeyReadsWhateverIsStoredAndWritesItBackUnchanged)
{
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
}

TEST_F(AnySerializableTest, SetReplacesTheStoredForm)
{
    AnySerializable value = 1;
    value.set(TestPoint { 3, 4 });
    EXPECT_EQ(value.value(), PropertyValue(R"({"x":3,"y":4})"));
    EXPECT_EQ(value.get<TestPoint>(), (TestPoint { 3, 4 }));
    value.set(QColor());
    EXPECT_TRUE(value.isNil());
}

TEST_F(AnySerializableTest, ContainerLiteralsLeaveOutValuesHoldingNothing)
{
    const AnySerializable array = AnySerializable::array({ 1, AnySerializable(), "a" });
    EXPECT_EQ(array.value(), PropertyValue(PropertyArray { PropertyValue(1), PropertyValue("a") }));
}

TEST(AnySerializableDeathTest, RepeatedDictionaryLiteralKeyStopsTheProgram)
{
    EXPECT_DEATH(AnySerializable::dictionary({ { "k", 1 }, { "k", 2 } }), "given twice");
}

} // namespace
