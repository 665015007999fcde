#include "PreferencesTestSupport.h"

#include <QColor>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <map>
#include <set>

namespace {

using Defaults::Key;
using Defaults::toSerializable;
using Defaults::toValue;

// Raw-representable and codable: without a preference the JSON text form wins; a lower-layer
// type states its preference with a member.
struct TestRawCodable
{
    using RawValue = std::string;
    std::string raw;
    friend bool operator==(const TestRawCodable &, const TestRawCodable &) = default;
    std::string rawValue() const { return raw; }
    static std::optional<TestRawCodable> fromRawValue(const std::string &text)
    {
        return TestRawCodable { text };
    }
    QJsonValue toJson() const { return QJsonObject { { "raw", QString::fromStdString(raw) } }; }
    static std::optional<TestRawCodable> fromJson(const QJsonValue &json)
    {
        if (!json.toObject().value("raw").isString()) {
            return std::nullopt;
        }
        return TestRawCodable { json.toObject().value("raw").toString().toStdString() };
    }
};
struct TestPrefersRaw : TestRawCodable
{
    static constexpr bool defaultsPreferRawRepresentable = true;
    static std::optional<TestPrefersRaw> fromRawValue(const std::string &text)
    {
        return TestPrefersRaw { { text } };
    }
    static std::optional<TestPrefersRaw> fromJson(const QJsonValue &) { return std::nullopt; }
};
struct TestThrowing
{
    int value = 0;
    QJsonValue toJson() const { throw 42; }
    static std::optional<TestThrowing> fromJson(const QJsonValue &) { throw std::runtime_error("bad"); }
};

class StoredFormsTest : public PreferencesTest
{
protected:
    template<class V>
    void expectRoundTrip(const V &value, const PropertyValue &expectedForm)
    {
        const Key<V> key("key", V {}, m_suite);
        Defaults::set(key, value);
        EXPECT_EQ(m_suite->object("key"), expectedForm) << m_suite->object("key")->debugDescription();
        // Through the file too: a fresh view of the suite reads the same value.
        const std::string name = m_suite->suiteName();
        m_suite.reset();
        m_suite = UserDefaults::suite(name);
        EXPECT_EQ(Defaults::getValue<V>(*m_suite, "key"), value);
    }
};

TEST_F(StoredFormsTest, EachKindIsStoredInItsOwnFormAndReadsBack)
{
    expectRoundTrip(true, PropertyValue(true));
    expectRoundTrip(std::int64_t(-5), PropertyValue(-5));
    expectRoundTrip(
        std::uint64_t(18446744073709551615u), PropertyValue(std::uint64_t(18446744073709551615u)));
    expectRoundTrip(2.5, PropertyValue(2.5));
    expectRoundTrip(0.25f, PropertyValue(0.25));
    expectRoundTrip(std::string("é"), PropertyValue("é"));
    expectRoundTrip(QByteArray("\0\1", 2), PropertyValue(QByteArray("\0\1", 2)));
    const PropertyDate date(std::chrono::nanoseconds(1'700'000'000'000'000'001));
    expectRoundTrip(date, PropertyValue(date));
    expectRoundTrip(std::vector<std::int64_t> { 1, 2 },
        PropertyValue(PropertyArray { PropertyValue(1), PropertyValue(2) }));
    expectRoundTrip(std::map<std::string, QByteArray> { { "a", "x" } },
        PropertyValue(PropertyDictionary { { "a", PropertyValue(QByteArray("x")) } }));
    expectRoundTrip(std::set<std::string> { "b", "a" },
        PropertyValue(PropertyArray { PropertyValue("a"), PropertyValue("b") }));
    // What the store has no kind for is JSON text, a codable structure a bare object.
    expectRoundTrip(TestPoint { 1, -2 }, PropertyValue(R"({"x":1,"y":-2})"));
    expectRoundTrip(
        QUrl("file:///home/user/My%20Recordings"), PropertyValue(R"("file:///home/user/My%20Recordings")"));
    expectRoundTrip(std::chrono::nanoseconds(1'500'000'000), PropertyValue("1500000000"));
    expectRoundTrip(QUuid("{67e55044-10b1-426f-9247-bb680e5fe0c8}"),
        PropertyValue("67E55044-10B1-426F-9247-BB680E5FE0C8"));
    // Raw values are stored bare; a type that is also codable is JSON text unless it prefers its raw value.
    expectRoundTrip(TestIcon::record3, PropertyValue("record3"));
    expectRoundTrip(TestBookmark { QByteArray("\x01\x02", 2) }, PropertyValue(QByteArray("\x01\x02", 2)));
    expectRoundTrip(TestRawCodable { "a" }, PropertyValue(R"({"raw":"a"})"));
    expectRoundTrip(TestPrefersRaw { { "a" } }, PropertyValue("a"));
}

TEST_F(StoredFormsTest, StoredFormsReadExactlyOrNotAtAll)
{
    // JSON text, as older versions stored everything.
    EXPECT_EQ(toValue<std::int64_t>(PropertyValue("5")), 5);
    EXPECT_EQ(toValue<bool>(PropertyValue("true")), true);
    EXPECT_EQ(toValue<std::int64_t>(PropertyValue("5.5")), std::nullopt);
    EXPECT_EQ(toValue<std::int8_t>(PropertyValue("300")), std::nullopt);
    EXPECT_EQ(toValue<QByteArray>(PropertyValue("\"AQI=\"")), QByteArray("\x01\x02", 2));
    EXPECT_EQ(toValue<QByteArray>(PropertyValue("AQI=")), std::nullopt);
    EXPECT_EQ(toValue<std::string>(PropertyValue(5)), std::nullopt);

    const QUuid uuid("{67e55044-10b1-426f-9247-bb680e5fe0c8}");
    EXPECT_EQ(toValue<QUuid>(PropertyValue("67e55044-10b1-426f-9247-bb680e5fe0c8")), uuid);
    EXPECT_EQ(toValue<QUuid>(PropertyValue("not-a-uuid")), std::nullopt);
    EXPECT_EQ(toValue<QUuid>(PropertyValue("{67e55044-10b1-426f-9247-bb680e5fe0c8}")), std::nullopt);
    EXPECT_EQ(toValue<QUuid>(PropertyValue("00000000-0000-0000-0000-000000000000")), QUuid());

    // Repeats collapse in a set; an element of the wrong kind spoils it.
    const PropertyValue repeated(PropertyArray { PropertyValue("x"), PropertyValue("x") });
    EXPECT_EQ(toValue<std::set<std::string>>(repeated), (std::set<std::string> { "x" }));
    EXPECT_EQ(
        toValue<std::set<std::string>>(PropertyValue(PropertyArray { PropertyValue(1) })), std::nullopt);

    // Arrays and dictionaries drop the elements that do not convert.
    const PropertyValue texts(PropertyArray { PropertyValue("1"), PropertyValue("x"), PropertyValue("3") });
    EXPECT_EQ(toValue<std::vector<std::int64_t>>(texts), (std::vector<std::int64_t> { 1, 3 }));
    const PropertyValue icons(
        PropertyArray { PropertyValue("circle"), PropertyValue("Microphone"), PropertyValue("record3") });
    EXPECT_EQ(toValue<std::vector<TestIcon>>(icons),
        (std::vector<TestIcon> { TestIcon::circle, TestIcon::record3 }));
    const std::vector<QColor> colours { QColor(Qt::red), QColor(), QColor(Qt::blue) };
    const std::optional<PropertyValue> colourForm = toSerializable(colours);
    ASSERT_TRUE(colourForm);
    EXPECT_EQ(colourForm->as<PropertyArray>()->size(), 2u);
    const PropertyValue dataTexts(
        PropertyDictionary { { "good", PropertyValue("\"AQI=\"") }, { "bad", PropertyValue("nope") } });
    EXPECT_EQ((toValue<std::map<std::string, QByteArray>>(dataTexts)),
        (std::map<std::string, QByteArray> { { "good", QByteArray("\x01\x02", 2) } }));
    // Each entry is read on its own, as data or as the older text: an entry of another kind beside
    // data entries leaves the others readable.
    const PropertyValue mixed(PropertyDictionary { { "data", PropertyValue(QByteArray("\x01", 1)) },
        { "older", PropertyValue("\"AQI=\"") }, { "number", PropertyValue(5) },
        { "word", PropertyValue("nope") },
        { "list", PropertyValue(PropertyArray { PropertyValue(QByteArray("x")) }) },
        { "flag", PropertyValue(true) } });
    EXPECT_EQ((toValue<std::map<std::string, QByteArray>>(mixed)),
        (std::map<std::string, QByteArray> {
            { "data", QByteArray("\x01", 1) }, { "older", QByteArray("\x01\x02", 2) } }));
    EXPECT_EQ((toValue<std::map<std::string, QByteArray>>(PropertyValue(PropertyArray {}))), std::nullopt);

    const std::map<int, TestIcon> byNumber { { 1, TestIcon::circle }, { 20, TestIcon::record3 } };
    EXPECT_EQ(toSerializable(byNumber),
        PropertyValue(
            PropertyDictionary { { "1", PropertyValue("circle") }, { "20", PropertyValue("record3") } }));
    const PropertyValue stored(PropertyDictionary { { "1", PropertyValue("circle") },
        { "x", PropertyValue("circle") }, { "2", PropertyValue("nothing") }, { "3", PropertyValue(3) } });
    EXPECT_EQ(
        (toValue<std::map<int, TestIcon>>(stored)), (std::map<int, TestIcon> { { 1, TestIcon::circle } }));
}

TEST_F(StoredFormsTest, ColourIsAnArchiveThatReadsBackEqualAndABrokenOneReadsAsDefault)
{
    const Key<QColor> key("colour", QColor(Qt::black), m_suite);
    const QColor colour = QColor::fromRgba64(1, 2, 65535, 300);
    Defaults::set(key, colour);
    EXPECT_EQ(m_suite->object("colour")->kind(), PropertyValue::Kind::Data);
    EXPECT_EQ(Defaults::get(key), colour);
    const QColor extended = QColor::fromRgbF(1.5f, -0.25f, 0.5f, 1.0f);
    Defaults::set(key, extended);
    EXPECT_EQ(Defaults::get(key).redF(), 1.5f);
    EXPECT_EQ(Defaults::get(key).greenF(), -0.25f);
    // An invalid colour has no archive; writing it removes the stored value.
    Defaults::set(key, QColor());
    EXPECT_EQ(Defaults::get(key), QColor(Qt::black));

    m_suite->setObject("colour", PropertyValue(QByteArray("garbage")));
    testing::internal::CaptureStdout();
    EXPECT_EQ(Defaults::get(key), QColor(Qt::black));
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty()); // unarchiving errors are printed
}

TEST_F(StoredFormsTest, WhatDoesNotDecodeOrEncodeReadsAsDefaultAndWritesNothing)
{
    const Key<TestIcon> icon("icon", TestIcon::microphone, m_suite);
    EXPECT_EQ(m_suite->object("icon"), PropertyValue("microphone"));
    for (const PropertyValue &stored : { PropertyValue("Microphone"), PropertyValue(1) }) {
        m_suite->setObject("icon", stored);
        EXPECT_EQ(Defaults::get(icon), TestIcon::microphone);
    }

    // A type whose own coding throws: conversions must still never throw.
    const Key<TestThrowing> throwing("throwing", TestThrowing { 7 }, m_suite);
    EXPECT_EQ(m_suite->object("throwing"), std::nullopt); // the default did not serialise
    m_suite->setObject("throwing", PropertyValue("{}"));
    EXPECT_EQ(Defaults::get(throwing).value, 7);
    testing::internal::CaptureStdout();
    Defaults::set(throwing, TestThrowing { 8 });
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
    EXPECT_EQ(m_suite->object("throwing"), std::nullopt);

    // A non-finite double is an encoding error in JSON; a native double stores it as it is.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Defaults::TopLevelCodableBridge<double>::serialize(std::numeric_limits<double>::infinity()),
        std::nullopt);
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
    const Key<double> number("number", 0.0, m_suite);
    Defaults::set(number, std::numeric_limits<double>::infinity());
    EXPECT_EQ(Defaults::get(number), std::numeric_limits<double>::infinity());
}

TEST_F(StoredFormsTest, BridgesMapNothingToNothingButAnyReadsNothingAsANilValue)
{
    EXPECT_EQ(Defaults::TopLevelCodableBridge<TestPoint>::deserialize(std::nullopt), std::nullopt);
    EXPECT_EQ((Defaults::DictionaryBridge<int, TestIcon>::deserialize(std::nullopt)), std::nullopt);
    EXPECT_EQ(Defaults::AnyBridge::serialize(std::nullopt), std::nullopt);
    const std::optional<Defaults::AnySerializable> read = Defaults::AnyBridge::deserialize(std::nullopt);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isNil());
}

// An optional key registers nothing, stores the wrapped form and removes the value for nil.
TEST_F(StoredFormsTest, OptionalOfNonNativeTypeStoresTheWrappedForm)
{
    const Key<std::optional<TestBookmark>> key("bookmark", m_suite);
    EXPECT_EQ(m_suite->object("bookmark"), std::nullopt);
    Defaults::set(key, std::optional<TestBookmark>(TestBookmark { "raw" }));
    EXPECT_EQ(m_suite->object("bookmark"), PropertyValue(QByteArray("raw")));
    EXPECT_EQ(Defaults::get(key), TestBookmark { "raw" });
    Defaults::set(key, std::optional<TestBookmark>());
    EXPECT_EQ(m_suite->object("bookmark"), std::nullopt);
    EXPECT_EQ(Defaults::get(key), std::nullopt);
}

TEST_F(StoredFormsTest, JsonFragmentDecodingAcceptsBareValuesOnly)
{
    EXPECT_EQ(decodeOptional<std::int64_t>("42"), 42);
    EXPECT_EQ(decodeOptional<std::string>("\"a\""), "a");
    EXPECT_EQ(decodeOptional<std::int64_t>("1,2"), std::nullopt);
    EXPECT_EQ(decodeOptional<std::int64_t>(""), std::nullopt);
    EXPECT_EQ(decodeOptional<std::int64_t>("[1]"), std::nullopt);
    EXPECT_EQ(decodeOptional<std::int64_t>("1],[2"), std::nullopt);
    EXPECT_EQ(decodeOptional<std::uint8_t>("256"), std::nullopt);
    EXPECT_EQ(decodeOptional<std::vector<std::int64_t>>("[1,2]"), (std::vector<std::int64_t> { 1, 2 }));
}

} // namespace
