#include "kit/foundation/values/ValueTypeJsonCoding.h"
#include "kit/collections/BundleIdentifier.h"
#include "kit/collections/EmailAddress.h"

#include "KitTesting.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

// The compact JSON text of the value, also of a bare fragment.
QByteArray encoded(const auto &value)
{
    const QJsonArray wrapped { JsonCoding<std::decay_t<decltype(value)>>::encode(value) };
    const QByteArray text = QJsonDocument(wrapped).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

template<JsonCodable T>
std::optional<T> decoded(const char *json)
{
    return decodeOptional<T>(QByteArrayView(json));
}

struct Retries
{
    using Value = int;
    static int defaultValue() { return 3; }
};

using Choice = Either<int, QString>;
using Item = Identified<int, QString>;

} // namespace

TEST(ValueTypeJsonCoding, WritesTheKeyedForms)
{
    EXPECT_EQ(encoded(Tuple2<int, QString> { 1, "a" }), R"({"first":1,"second":"a"})");
    EXPECT_EQ(encoded(Tuple3<int, int, bool> { 1, 2, true }), R"({"first":1,"second":2,"third":true})");
    EXPECT_EQ(encoded(Choice::left(3)), R"({"left":{"_0":3}})");
    EXPECT_EQ(encoded(Choice::right("x")), R"({"right":{"_0":"x"}})");
    EXPECT_EQ(encoded(Item("x", 1)), R"({"id":1,"value":"x"})");
    EXPECT_EQ(encoded(BundleIdentifier("com.example.app")), R"("com.example.app")");
    EXPECT_EQ(encoded(DecodableDefault::Wrapper<Retries> {}), "3");
}

TEST(ValueTypeJsonCoding, ReadsBackOrRefusesAndEitherNeedsExactlyOneSide)
{
    using Triple = Tuple3<int, QString, bool>;
    const Triple triple { 7, "seven", false };
    EXPECT_EQ(decoded<Triple>(encoded(triple).constData()), triple);
    EXPECT_EQ(decoded<Triple>(R"({"first":7,"second":"seven"})"), std::nullopt);
    EXPECT_EQ(decoded<Triple>(R"({"first":7,"second":7,"third":true})"), std::nullopt);

    const std::pair<const char *, std::optional<Choice>> cases[] = {
        { R"({"left":{"_0":3}})", Choice::left(3) },
        { R"({"right":{"_0":"x"},"other":1})", Choice::right("x") },
        { R"({"left":{"_0":"x"}})", std::nullopt },
        { R"({"left":{"_1":3}})", std::nullopt },
        { R"({"left":3})", std::nullopt },
        { R"([3])", std::nullopt },
    };
    for (const auto &[json, expected] : cases) {
        EXPECT_EQ(decoded<Choice>(json), expected) << json;
    }

    EXPECT_EQ(decoded<Item>(R"({"id":1,"value":"x"})"), Item("x", 1));
    EXPECT_EQ(decoded<Item>(R"({"id":1})"), std::nullopt);
    EXPECT_EQ(decoded<BundleIdentifier>(R"("anything")"), BundleIdentifier("anything"));
    EXPECT_EQ(decoded<EmailAddress>(R"("not-an-address")")->rawValue(), u"not-an-address"_s);

    for (const char *json :
        { R"({})", R"({"left":{"_0":1},"right":{"_0":"x"}})", R"({"middle":{"_0":1}})" }) {
        const QJsonValue value = QJsonDocument::fromJson(json).object();
        const auto error = KitTesting::thrown<JsonDecodingError>([&] { JsonCoding<Choice>::decode(value); });
        EXPECT_STREQ(error ? error->what() : "decoded", "Invalid number of keys found, expected one.")
            << json;
        EXPECT_EQ(decoded<Choice>(json), std::nullopt);
    }
}

TEST(ValueTypeJsonCoding, DefaultOnlyForAMissingMember)
{
    using Wrapper = DecodableDefault::Wrapper<Retries>;
    const QJsonObject object = QJsonDocument::fromJson(R"({"retries":5,"wrong":"five"})").object();
    EXPECT_EQ(decodeDefaulted<Retries>(object, QLatin1StringView("retries")), Wrapper { 5 });
    EXPECT_EQ(decodeDefaulted<Retries>(object, QLatin1StringView("absent")), Wrapper { 3 });
    EXPECT_EQ(decodeDefaulted<Retries>(object, QLatin1StringView("wrong")), std::nullopt);
    EXPECT_EQ(decoded<Wrapper>(R"("five")"), std::nullopt);
}
