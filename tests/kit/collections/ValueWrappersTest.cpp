#include "kit/collections/AggregateHashable.h"
#include "kit/collections/AnyEquatable.h"
#include "kit/collections/Either.h"
#include "kit/collections/EmailAddress.h"
#include "kit/collections/Identifiable.h"
#include "kit/collections/Identified.h"
#include "kit/collections/LaunchCompletions.h"
#include "kit/collections/Tuple.h"
#include "kit/collections/UnexpectedNilError.h"
#include "kit/collections/ViewStorage.h"

#include <gtest/gtest.h>

#include <QString>
#include <QUrl>

#include <unordered_set>
#include <vector>

namespace {

struct Track : HashableByIdentifiable
{
    int number;
    QString title;

    int id() const { return number; }
    friend bool operator==(const Track &, const Track &) = default;
};

} // namespace

TEST(EmailAddress, AcceptsExactlyOneAddressAndNothingAround)
{
    const std::pair<const char *, std::optional<QString>> cases[] = {
        { "sam@example.com", "sam@example.com" },
        { "  first.last+tag@mail.example.org \n", "first.last+tag@mail.example.org" },
        { "zoë@bücher.de", "zoë@bücher.de" },
        { "sam@example.com ben@example.com", std::nullopt },
        { "sam@example.com is my address", std::nullopt },
        { "mailto:sam@example.com", std::nullopt },
        { "sam@example", std::nullopt },
        { "sam@example.c", std::nullopt },
        { "sam@example.com.", std::nullopt },
        { "sam@-example.com", std::nullopt },
        { ".sam@example.com", std::nullopt },
        { "sam..x@example.com", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto &[text, expected] : cases) {
        const std::optional<EmailAddress> address = EmailAddress::fromRawValue(QString::fromUtf8(text));
        EXPECT_EQ(address ? std::optional(address->rawValue()) : std::nullopt, expected) << text;
    }
    EXPECT_NE(EmailAddress("support@example.com"), EmailAddress("Support@example.com")) << "compared exactly";
}

TEST(EmailAddressDeathTest, InvalidLiteralStopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(EmailAddress::validating(" nobody "), "Invalid email address:  nobody ");
}

TEST(AnyEquatable, EqualOnlyForTheSameTypeAndValue)
{
    const std::tuple<AnyEquatable, AnyEquatable, bool> cases[] = {
        { 5, 5, true },
        { 5, "5", false },
        { 1, 1.0, false },
        { true, 1, false },
        { "text", QStringLiteral("text"), true },
        { std::nan(""), std::nan(""), false },
    };
    for (const auto &[left, right, equal] : cases) {
        EXPECT_EQ(left == right, equal);
        EXPECT_EQ(right == left, equal);
    }
    EXPECT_EQ(AnyEquatable(5).value<int>(), 5);
    EXPECT_EQ(AnyEquatable(5).value<double>(), std::nullopt);
}

TEST(AggregateHashable, EqualOnlyForTheSameElementsOfTheSameTypesInOrder)
{
    const AggregateHashable key({ "file", 12, QUrl("file:///tmp/a") });
    const AggregateHashable same({ "file", 12, QUrl("file:///tmp/a") });
    EXPECT_EQ(key, same);
    EXPECT_EQ(key.cachedHashValue(), same.cachedHashValue());
    EXPECT_EQ(std::hash<AggregateHashable> {}(key), key.cachedHashValue());
    EXPECT_TRUE(std::unordered_set<AggregateHashable> { key }.contains(same));

    const AggregateHashable pair({ 1, 2 });
    for (const AggregateHashable &other : { AggregateHashable({ 2, 1 }), AggregateHashable({ 1, 2, 3 }),
             AggregateHashable({ 1 }), AggregateHashable({ 1LL, 2 }), AggregateHashable({ "1", 2 }) }) {
        EXPECT_NE(pair, other);
    }
    const AnyHashable text("bundle");
    ASSERT_NE(text.get<QString>(), nullptr);
    EXPECT_EQ(*text.get<QString>(), "bundle");
    EXPECT_EQ(text.get<int>(), nullptr);
}

TEST(Either, EveryLeftComesBeforeEveryRight)
{
    using Choice = Either<int, int>;
    const std::vector<Choice> ascending { Choice::left(1), Choice::left(3), Choice::left(100),
        Choice::right(-1), Choice::right(3) };
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        for (std::size_t j = 0; j < ascending.size(); ++j) {
            EXPECT_EQ(ascending[i] < ascending[j], i < j) << i << " " << j;
            EXPECT_EQ(ascending[i] >= ascending[j], i >= j) << i << " " << j;
            EXPECT_EQ(ascending[i] == ascending[j], i == j) << i << " " << j;
        }
    }
    EXPECT_NE(std::hash<Choice> {}(Choice::left(3)), std::hash<Choice> {}(Choice::right(3)));
    using Mixed = Either<int, QString>;
    EXPECT_EQ(*Mixed::right("x").rightValue(), "x");
    EXPECT_EQ(Mixed::right("x").leftValue(), nullptr);
}

TEST(SmallValues, HashesTellFieldsAndTheirOrderApart)
{
    using Pair = Tuple2<int, QString>;
    EXPECT_NE(std::hash<Pair> {}(Pair { 1, "a" }), std::hash<Pair> {}(Pair { 1, "b" }));
    using Triple = Tuple3<int, int, int>;
    EXPECT_NE(std::hash<Triple> {}(Triple { 1, 2, 3 }), std::hash<Triple> {}(Triple { 3, 2, 1 }));
    // Identifiable values hash by their identifier alone.
    const std::hash<Track> hashTrack;
    EXPECT_EQ(hashTrack(Track { {}, 4, "Intro" }), hashTrack(Track { {}, 4, "Outro" }));
    EXPECT_NE(hashTrack(Track { {}, 4, "Intro" }), hashTrack(Track { {}, 5, "Intro" }));
}

TEST(Identified, IdentifiersDecideFirst)
{
    using Item = Identified<int, QString>;
    EXPECT_NE(Item("x", 1), Item("y", 1));
    EXPECT_NE(Item("x", 1), Item("x", 2));
    EXPECT_EQ(Item("x", 1), Item("x", 1));

    int calls = 0;
    Item byLength("four", [&calls](const QString &text) {
        ++calls;
        return static_cast<int>(text.size());
    });
    byLength->append("!");
    EXPECT_EQ(byLength.id(), 4) << "read once, at creation";
    EXPECT_EQ(byLength.value(), "four!");
    EXPECT_EQ(calls, 1);
}

TEST(UnexpectedNilError, DescribesWhereUnlessGivenAMessage)
{
    const UnexpectedNilError plain(std::nullopt, "KwKit", 12);
    EXPECT_EQ(plain.errorDescription(), "Unexpected nil encountered at KwKit:12");
    EXPECT_STREQ(plain.what(), "Unexpected nil encountered at KwKit:12");
    const UnexpectedNilError withMessage("No window", "KwKit", 12);
    EXPECT_EQ(withMessage.errorDescription(), "No window");
    EXPECT_EQ(withMessage.failureReason(), "Unexpected nil encountered at KwKit:12");

    EXPECT_EQ(unwrapOrThrow(std::optional(3)), 3);
    try {
        unwrapOrThrow(std::optional<int>());
        FAIL() << "no error thrown";
    } catch (const UnexpectedNilError &error) {
        EXPECT_TRUE(error.file().endsWith("ValueWrappersTest.cpp"));
        EXPECT_EQ(error.line(), __LINE__ - 4);
    }
}

TEST(ViewStorage, CopiesShareOneValue)
{
    const ViewStorage<QString> storage("first");
    const ViewStorage<QString> copy = storage;
    copy.setValue(copy.value() + "!");
    storage.value() += "?";
    EXPECT_EQ(copy.value(), "first!?");
}

TEST(LaunchCompletions, RunEachCompletionOnceInTheOrderAdded)
{
    std::vector<int> ran;
    LaunchCompletions::runFinishedLaunchingCompletions();
    LaunchCompletions::add([&] {
        ran.push_back(1);
        // Added during a run: kept for the next one.
        LaunchCompletions::add([&] { ran.push_back(3); });
    });
    LaunchCompletions::add([&] { ran.push_back(2); });
    LaunchCompletions::runFinishedLaunchingCompletions();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2 }));
    LaunchCompletions::runFinishedLaunchingCompletions();
    LaunchCompletions::runFinishedLaunchingCompletions();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2, 3 }));
}
