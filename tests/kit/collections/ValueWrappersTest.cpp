#include "kit/collections/AnyEquatable.h"
#include "kit/collections/BundleIdentifier.h"
#include "kit/collections/EmailAddress.h"
#include "kit/collections/Identifiable.h"
#include "kit/collections/Identified.h"
#include "kit/collections/KwProcessID.h"
#include "kit/collections/NLLanguage.h"
#include "kit/collections/UnexpectedNilError.h"

#include <gtest/gtest.h>

#include <QString>

#include <unordered_set>

TEST(EmailAddress, AcceptsExactlyOneAddressAndNothingAround)
{
    struct Case
    {
        const char *text;
        std::optional<QString> address;
    };
    const Case cases[] = {
        { "sam@example.com", "sam@example.com" },
        { "  first.last+tag@mail.example.org \n", "first.last+tag@mail.example.org" },
        { "zoë@bücher.de", "zoë@bücher.de" },
        { "sam@example.com ben@example.com", std::nullopt },
        { "sam@example.com is my address", std::nullopt },
        { "write to sam@example.com", std::nullopt },
        { "mailto:sam@example.com", std::nullopt },
        { "sam@example", std::nullopt },
        { "sam@example.c", std::nullopt },
        { "sam@example.com.", std::nullopt },
        { "sam@-example.com", std::nullopt },
        { ".sam@example.com", std::nullopt },
        { "sam..x@example.com", std::nullopt },
        { "sam", std::nullopt },
        { "", std::nullopt },
    };
    for (const Case &test : cases) {
        const std::optional<EmailAddress> address = EmailAddress::fromRawValue(QString::fromUtf8(test.text));
        EXPECT_EQ(address ? std::optional(address->rawValue()) : std::nullopt, test.address) << test.text;
    }
}

TEST(EmailAddress, DecodesTheStoredTextUnchecked)
{
    EXPECT_EQ(EmailAddress::fromJson(QStringLiteral("not-an-address"))->rawValue(),
        QStringLiteral("not-an-address"));
    EXPECT_EQ(EmailAddress::fromJson(QJsonValue(3)), std::nullopt);
    const EmailAddress literal = "support@example.com";
    EXPECT_EQ(literal.toJson(), QJsonValue(QStringLiteral("support@example.com")));
    EXPECT_NE(literal, EmailAddress("Support@example.com")) << "compared exactly";
}

TEST(EmailAddressDeathTest, InvalidLiteralStopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(EmailAddress::validating(QStringLiteral(" nobody ")), "Invalid email address:  nobody ");
}

TEST(AnyEquatable, EqualOnlyForTheSameTypeAndValue)
{
    struct Case
    {
        AnyEquatable left;
        AnyEquatable right;
        bool equal;
    };
    const Case cases[] = {
        { 5, 5, true },
        { 5, "5", false },
        { 1, 1.0, false },
        { true, 1, false },
        { "text", QStringLiteral("text"), true },
        { std::nan(""), std::nan(""), false },
    };
    for (const Case &test : cases) {
        EXPECT_EQ(test.left == test.right, test.equal);
        EXPECT_EQ(test.right == test.left, test.equal);
    }
    EXPECT_EQ(AnyEquatable(5).value<int>(), 5);
    EXPECT_EQ(AnyEquatable(5).value<double>(), std::nullopt);
}

TEST(Identified, IdentifiersDecideFirst)
{
    using Item = Identified<int, QString>;
    EXPECT_NE(Item(QStringLiteral("x"), 1), Item(QStringLiteral("y"), 1));
    EXPECT_NE(Item(QStringLiteral("x"), 1), Item(QStringLiteral("x"), 2));
    EXPECT_EQ(Item(QStringLiteral("x"), 1), Item(QStringLiteral("x"), 1));

    int calls = 0;
    Item byLength(QStringLiteral("four"), [&calls](const QString &text) {
        ++calls;
        return static_cast<int>(text.size());
    });
    byLength->append(QStringLiteral("!"));
    EXPECT_EQ(byLength.id(), 4) << "read once, at creation";
    EXPECT_EQ(byLength.value(), QStringLiteral("four!"));
    EXPECT_EQ(calls, 1);
}

TEST(UnexpectedNilError, DescribesWhereUnlessGivenAMessage)
{
    const UnexpectedNilError plain(std::nullopt, QStringLiteral("KwKit"), 12);
    EXPECT_EQ(plain.errorDescription(), QStringLiteral("Unexpected nil encountered at KwKit:12"));
    EXPECT_STREQ(plain.what(), "Unexpected nil encountered at KwKit:12");
    const UnexpectedNilError withMessage(QStringLiteral("No window"), QStringLiteral("KwKit"), 12);
    EXPECT_EQ(withMessage.errorDescription(), QStringLiteral("No window"));
    EXPECT_EQ(withMessage.failureReason(), QStringLiteral("Unexpected nil encountered at KwKit:12"));

    EXPECT_EQ(unwrapOrThrow(std::optional(3)), 3);
    try {
        unwrapOrThrow(std::optional<int>());
        FAIL() << "no error thrown";
    } catch (const UnexpectedNilError &error) {
        EXPECT_TRUE(error.file().endsWith(QStringLiteral("ValueWrappersTest.cpp")));
        EXPECT_EQ(error.line(), __LINE__ - 4);
    }
}

namespace {

struct Track : HashableByIdentifiable
{
    int number;
    QString title;

    int id() const { return number; }
    friend bool operator==(const Track &, const Track &) = default;
};

} // namespace

TEST(SmallValues, EqualValuesHashAlike)
{
    const std::hash<Track> hashTrack;
    EXPECT_EQ(hashTrack(Track { {}, 4, QStringLiteral("Intro") }),
        hashTrack(Track { {}, 4, QStringLiteral("Outro") }));
    EXPECT_NE(hashTrack(Track { {}, 4, QStringLiteral("Intro") }),
        hashTrack(Track { {}, 5, QStringLiteral("Intro") }));
    EXPECT_NE(KwProcessID { 42 }, KwProcessID { 43 });
    EXPECT_NE(std::hash<KwProcessID> {}(KwProcessID { 42 }), std::hash<KwProcessID> {}(KwProcessID { 43 }));
    const std::unordered_set<BundleIdentifier> identifiers { "com.example.a", "com.example.a",
        "com.example.b" };
    EXPECT_EQ(identifiers.size(), 2u);
}

TEST(NLLanguage, FixedListFromAmharicToVietnamese)
{
    const auto &languages = NLLanguage::allCases();
    EXPECT_EQ(languages.size(), 56u);
    EXPECT_EQ(languages.front().rawValue, QStringLiteral("am"));
    EXPECT_EQ(languages.back().rawValue, QStringLiteral("vi"));
    EXPECT_EQ(&NLLanguage::allCases(), &languages);
    std::unordered_set<QString> distinct;
    for (const NLLanguage &language : languages) {
        distinct.insert(language.rawValue);
    }
    EXPECT_EQ(distinct.size(), 56u);
}
