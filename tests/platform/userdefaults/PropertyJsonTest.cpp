#include "platform/userdefaults/PropertyJson.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// A settings file as the program writes it: every kind, the tags for what JSON lacks, and two
// members it cannot decode (kept as written, after the others).
const std::string writtenFile = R"({
  "-inf": {
    "$double": "-inf"
  },
  "array": [
    1,
    "a",
    []
  ],
  "bool": true,
  "data": {
    "$data": "AP8Q"
  },
  "date": {
    "$date": -1234567890123
  },
  "double": 5.0,
  "empty": {},
  "emptyData": {
    "$data": ""
  },
  "inf": {
    "$double": "inf"
  },
  "int": -9223372036854775808,
  "nan": {
    "$double": "nan"
  },
  "small": 1e-04,
  "tagLike": {
    "$dict": {
      "$looksLikeATag": 1
    }
  },
  "text": "quote \" backslash \\ slash / newline \u000a tab \u0009 nul \u0001 é 🎙",
  "tiny": 5e-324,
  "uint": {
    "$uint64": "18446744073709551615"
  },
  "wide": 1e+05,
  "a-null": null,
  "future": {"$color": "red"}
}
)";

PropertyDictionary writtenValues()
{
    const double infinity = std::numeric_limits<double>::infinity();
    return {
        { "-inf", PropertyValue(-infinity) },
        { "array",
            PropertyValue(
                PropertyArray { PropertyValue(1), PropertyValue("a"), PropertyValue(PropertyArray {}) }) },
        { "bool", PropertyValue(true) },
        { "data", PropertyValue(QByteArray("\x00\xff\x10", 3)) },
        { "date", PropertyValue(PropertyDate(std::chrono::nanoseconds(-1'234'567'890'123))) },
        { "double", PropertyValue(5.0) },
        { "empty", PropertyValue(PropertyDictionary {}) },
        { "emptyData", PropertyValue(QByteArray()) },
        { "inf", PropertyValue(infinity) },
        { "int", PropertyValue(std::numeric_limits<std::int64_t>::min()) },
        { "nan", PropertyValue(std::numeric_limits<double>::quiet_NaN()) },
        { "small", PropertyValue(0.0001) },
        { "tagLike", PropertyValue(PropertyDictionary { { "$looksLikeATag", PropertyValue(1) } }) },
        { "text", PropertyValue("quote \" backslash \\ slash / newline \n tab \t nul \x01 é 🎙") },
        { "tiny", PropertyValue(5e-324) },
        { "uint", PropertyValue(std::numeric_limits<std::uint64_t>::max()) },
        { "wide", PropertyValue(100000.0) },
    };
}

TEST(PropertyJson, AWrittenFileReadsBackAndIsWrittenAgainByteForByte)
{
    QString error;
    const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(writtenFile, &error);
    ASSERT_TRUE(document) << error.toStdString();
    EXPECT_EQ(document->values, writtenValues());
    EXPECT_EQ(document->undecodable,
        (std::map<std::string, std::string, std::less<>> {
            { "a-null", "null" }, { "future", R"({"$color": "red"})" } }));
    EXPECT_EQ(PropertyJson::encodeDocument(document->values, document->undecodable), writtenFile);
}

TEST(PropertyJson, AHandEditedFileReadsAsItsValuesAndTextThatIsNoSettingsFileIsRefused)
{
    // Integers, unsigned and floating-point numbers stay apart; escapes and surrogate pairs
    // decode; the last of two equal names wins; an undecodable value anywhere inside a member
    // keeps that member, and only it, as its text.
    const std::string edited
        = "\xef\xbb\xbf{\"b\":5,\"a\":[1e2, -0, 18446744073709551615],\"b\":\"\\u00e9\\ud83c\\udf99\\n\","
          "\"deep\" : [1, {\"$color\": \"red\"}] ,\"huge\":1e999, \"bad\": {\"$data\": \"!!\"}}";
    QString error;
    const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(edited, &error);
    ASSERT_TRUE(document) << error.toStdString();
    EXPECT_EQ(document->values,
        (PropertyDictionary { { "a",
                                  PropertyValue(PropertyArray { PropertyValue(100.0), PropertyValue(0),
                                      PropertyValue(std::numeric_limits<std::uint64_t>::max()) }) },
            { "b", PropertyValue("é🎙\n") } }));
    EXPECT_EQ(PropertyJson::encodeDocument(document->values, document->undecodable), R"({
  "a": [
    100.0,
    0,
    {
      "$uint64": "18446744073709551615"
    }
  ],
  "b": "é🎙\u000a",
  "bad": {"$data": "!!"},
  "deep": [1, {"$color": "red"}],
  "huge": 1e999
}
)");

    // Text that is not one object, or nests too deep, is refused with a reason.
    const std::string deep = "{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    const std::string deepButAllowed = "{\"a\": " + std::string(256, '[') + std::string(256, ']') + "}";
    for (const std::string &text :
        { std::string(), std::string("[]"), std::string("5"), std::string("{\"a\": 1} x"),
            std::string("{\"a\": \"\xff\"}"), std::string("{\"a\": \"\\ud800\"}"), deep }) {
        QString error;
        EXPECT_FALSE(PropertyJson::decodeDocument(text, &error)) << text.substr(0, 20);
        EXPECT_FALSE(error.isEmpty()) << text.substr(0, 20);
    }
    EXPECT_TRUE(PropertyJson::decodeDocument(deepButAllowed));
}

} // namespace
