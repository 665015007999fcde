#include "platform/userdefaults/PropertyValue.h"
#include "platform/userdefaults/PropertyJson.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(PropertyValue, KeepsBooleansIntegersAndDoublesApart)
{
    EXPECT_EQ(PropertyValue(true).kind(), PropertyValue::Kind::Bool);
    EXPECT_EQ(PropertyValue(1).kind(), PropertyValue::Kind::Int);
    EXPECT_EQ(PropertyValue(1u).kind(), PropertyValue::Kind::UInt);
    EXPECT_EQ(PropertyValue(1.0).kind(), PropertyValue::Kind::Double);
    EXPECT_NE(PropertyValue(1), PropertyValue(true));
    EXPECT_NE(PropertyValue(1), PropertyValue(1.0));
    EXPECT_NE(PropertyValue(1), PropertyValue(std::uint64_t(1)));
}

TEST(PropertyValue, StrictEqualityTreatsNanAsItselfAndSignedZerosApart)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PropertyValue(nan), PropertyValue(nan));
    EXPECT_NE(PropertyValue(0.0), PropertyValue(-0.0));
    EXPECT_EQ(PropertyValue(PropertyArray { PropertyValue(nan) }),
        PropertyValue(PropertyArray { PropertyValue(nan) }));
}

TEST(PropertyValue, ExactNumbersConvertOnlyWhenTheTargetHoldsTheValue)
{
    EXPECT_EQ(PropertyValue(5.0).exactNumber<int>(), 5);
    EXPECT_EQ(PropertyValue(5.7).exactNumber<int>(), std::nullopt);
    EXPECT_EQ(PropertyValue(300).exactNumber<std::int8_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(-1).exactNumber<std::uint32_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(127).exactNumber<std::int8_t>(), std::int8_t(127));
    EXPECT_EQ(
        PropertyValue(std::numeric_limits<std::uint64_t>::max()).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::uint64_t(42)).exactNumber<std::int64_t>(), 42);
    EXPECT_EQ(PropertyValue(std::numeric_limits<std::uint64_t>::max()).exactNumber<double>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::uint64_t(1) << 63).exactNumber<double>(), 9223372036854775808.0);
    // 2^63 is a double but no int64; 2^53 + 1 is an int64 but no double.
    EXPECT_EQ(PropertyValue(9223372036854775808.0).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::int64_t(9007199254740993)).exactNumber<double>(), std::nullopt);
    EXPECT_EQ(PropertyValue(0.1).exactNumber<float>(), std::nullopt);
    EXPECT_EQ(PropertyValue(0.5).exactNumber<float>(), 0.5f);
}

TEST(PropertyValue, BooleansAreTheNumbersZeroAndOne)
{
    EXPECT_EQ(PropertyValue(1).exactNumber<bool>(), true);
    EXPECT_EQ(PropertyValue(0.0).exactNumber<bool>(), false);
    EXPECT_EQ(PropertyValue(2).exactNumber<bool>(), std::nullopt);
    EXPECT_EQ(PropertyValue(true).exactNumber<int>(), 1);
    EXPECT_EQ(PropertyValue(std::uint64_t(1)).exactNumber<bool>(), true);
    EXPECT_EQ(PropertyValue(std::uint64_t(2)).exactNumber<bool>(), std::nullopt);
    EXPECT_EQ(PropertyValue("true").exactNumber<bool>(), std::nullopt);
}

TEST(PropertyValue, NonFiniteDoublesReadOnlyAsFloatingPoint)
{
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PropertyValue(infinity).exactNumber<float>(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(PropertyValue(infinity).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_TRUE(std::isnan(*PropertyValue(std::nan("")).exactNumber<double>()));
    EXPECT_EQ(PropertyValue(std::nan("")).exactNumber<bool>(), std::nullopt);
}

PropertyValue everyKind()
{
    PropertyDictionary nested { { "$looksLikeATag", PropertyValue(1) } };
    return PropertyValue(PropertyDictionary {
        { "bool", PropertyValue(false) },
        { "int", PropertyValue(std::numeric_limits<std::int64_t>::min()) },
        { "uint", PropertyValue(std::numeric_limits<std::uint64_t>::max()) },
        { "double", PropertyValue(5.0) },
        { "tiny", PropertyValue(5e-324) },
        { "nan", PropertyValue(std::numeric_limits<double>::quiet_NaN()) },
        { "inf", PropertyValue(std::numeric_limits<double>::infinity()) },
        { "-inf", PropertyValue(-std::numeric_limits<double>::infinity()) },
        { "text", PropertyValue("quote \" backslash \\ newline \n tab \t nul \x01 é 🎙") },
        { "data", PropertyValue(QByteArray("\x00\xff\x10", 3)) },
        { "emptyData", PropertyValue(QByteArray()) },
        { "date", PropertyValue(PropertyDate(std::chrono::nanoseconds(-1'234'567'890'123))) },
        { "array",
            PropertyValue(
                PropertyArray { PropertyValue(1), PropertyValue("a"), PropertyValue(PropertyArray {}) }) },
        { "tagLike", PropertyValue(nested) },
        { "empty", PropertyValue(PropertyDictionary {}) },
    });
}

TEST(PropertyJson, EveryKindRoundTripsExactly)
{
    const PropertyValue original = everyKind();
    const std::optional<PropertyValue> decoded
        = PropertyJson::decodeValue(PropertyJson::encodeValue(original));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, original) << decoded->debugDescription();
}

TEST(PropertyJson, DocumentKeepsUndecodableEntriesAsText)
{
    const std::string text
        = R"({"good": 1, "null": null, "unknown": {"$color": "red"}, "badData": {"$data": "!!"}})";
    const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(text);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->values, (PropertyDictionary { { "good", PropertyValue(1) } }));
    EXPECT_EQ(document->undecodable.size(), 3u);
    EXPECT_EQ(document->undecodable.at("unknown"), R"({"$color": "red"})");

    // Written again, the undecodable entries come back unchanged.
    const std::optional<PropertyJson::Document> again
        = PropertyJson::decodeDocument(PropertyJson::encodeDocument(document->values, document->undecodable));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->undecodable, document->undecodable);
}

TEST(PropertyJson, AnUndecodableValueDeepInsideSpoilsOnlyItsOwnEntry)
{
    const std::string text
        = R"({"list": [1, {"$color": "red"}], "map": {"x": {"$color": "red"}, "y": 2}, "kept": [[], {}]})";
    const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(text);
    ASSERT_TRUE(document);
    const PropertyArray empties { PropertyValue(PropertyArray {}), PropertyValue(PropertyDictionary {}) };
    EXPECT_EQ(document->values, (PropertyDictionary { { "kept", PropertyValue(empties) } }));
    EXPECT_EQ(document->undecodable.at("list"), R"([1, {"$color": "red"}])");
    EXPECT_EQ(document->undecodable.at("map"), R"({"x": {"$color": "red"}, "y": 2})");
}

TEST(PropertyJson, RejectsTextThatIsNotOneJsonObject)
{
    for (const char *text : { "", "[]", "5", "{", "{\"a\": 1,}", "{\"a\": 1} x", "{'a': 1}", "{\"a\": 01}",
             "{\"a\": \"\xff\"}", "{\"a\": \"\\ud800\"}", "{\"a\": tru}", "{\"a\": [1,]}", "{\"a\": [1 2]}",
             "{\"a\": {\"b\" 1}}", "{\"a\": {\"b\": 1,}}", "{\"a\": {1: 2}}", "{\"a\": [}" }) {
        QString error;
        EXPECT_FALSE(PropertyJson::decodeDocument(text, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(PropertyJson, NestingTooDeepIsAnErrorNotACrash)
{
    const std::string deep = "{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(PropertyJson::decodeDocument(deep));
}

TEST(PropertyJson, IntegersAndDoublesReadBackAsWritten)
{
    EXPECT_EQ(PropertyJson::decodeValue("5"), PropertyValue(5));
    EXPECT_EQ(PropertyJson::decodeValue("5.0"), PropertyValue(5.0));
    EXPECT_EQ(PropertyJson::decodeValue("1e2"), PropertyValue(100.0));
    EXPECT_EQ(PropertyJson::decodeValue("18446744073709551615"),
        PropertyValue(std::uint64_t(18446744073709551615u)));
    EXPECT_EQ(PropertyJson::decodeValue("\"\\u00e9\\ud83c\\udf99\""), PropertyValue("é🎙"));
    EXPECT_EQ(PropertyJson::encodeValue(PropertyValue(5.0)), "5.0");
}

TEST(PropertyJson, InvalidUtf8IsWrittenAsReplacementCharacter)
{
    const std::string encoded = PropertyJson::encodeValue(PropertyValue(std::string("a\xff"
                                                                                    "b")));
    EXPECT_EQ(PropertyJson::decodeValue(encoded),
        PropertyValue("a\xef\xbf\xbd"
                      "b"));
}

} // namespace
