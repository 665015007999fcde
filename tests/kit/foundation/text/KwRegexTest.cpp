#include "kit/foundation/text/KwRegex.h"
#include "kit/foundation/text/ComposedCharacters.h"
#include "kit/foundation/text/RegexTemplate.h"

#include "KitTesting.h"

#include <QSet>

namespace {
// U+1F44D THUMBS UP SIGN followed by U+1F3FD EMOJI MODIFIER FITZPATRICK TYPE-4:
// one user-perceived character of four UTF-16 units.
const QString thumbsUp = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
} // namespace

TEST(KwRegexTest, OnlyGroupsThatTookPartAndAreNotEmptyAreListed)
{
    const auto match = KwRegex("(a+)|(b+)").firstMatch("xxbbb");
    ASSERT_TRUE(match.has_value());
    ASSERT_EQ(match->groups().size(), 1);
    EXPECT_EQ(match->groups()[0].value, "bbb");
    EXPECT_EQ(match->groups()[0].range, (TextRange { 2, 5 }));
    EXPECT_EQ(match->value(), "bbb");
    EXPECT_EQ(match->originalString(), "xxbbb");

    const auto empty = KwRegex("(x*)(y)").firstMatch("y");
    ASSERT_TRUE(empty.has_value());
    ASSERT_EQ(empty->groups().size(), 1);
    EXPECT_EQ(empty->groups()[0].value, "y");

    const auto named = KwRegex("(?<year>\\d{4})(-(?<month>\\d\\d))?").firstMatch("in 2024!");
    ASSERT_TRUE(named.has_value() && named->group("year").has_value());
    EXPECT_EQ(named->group("year")->value, "2024");
    EXPECT_EQ(named->group("year")->range, (TextRange { 3, 7 }));
    EXPECT_FALSE(named->group("month").has_value());
    EXPECT_FALSE(named->group("day").has_value());
}

TEST(KwRegexTest, RangesAreWidenedToWholeCharacters)
{
    const QString text = "a" + thumbsUp + "b";
    ASSERT_EQ(text.size(), 6);
    // The pattern stops after the thumb, before its skin-tone modifier.
    const auto match = KwRegex("a\\x{1F44D}").firstMatch(text);
    ASSERT_TRUE(match.has_value());
    EXPECT_EQ(match->checkingResult().capturedEnd(), 3);
    EXPECT_EQ(match->range(), (TextRange { 0, 5 }));
    EXPECT_EQ(match->value(), "a" + thumbsUp);
    EXPECT_EQ(replacingFirstMatch(text, KwRegex("\\x{1F44D}"), "[x]"), "a[x]b");

    // A match of the modifier alone starts inside the character.
    const auto modifier = KwRegex("(\\x{1F3FD})").firstMatch(text);
    ASSERT_TRUE(modifier.has_value());
    EXPECT_EQ(modifier->value(), thumbsUp);
    ASSERT_EQ(modifier->groups().size(), 1);
    EXPECT_EQ(modifier->groups()[0].range, (TextRange { 1, 5 }));

    // Combining marks stay with their letter.
    const QString cafe = QStringLiteral("cafe\u0301!");
    EXPECT_EQ(composedCharacterRange(cafe, { 3, 4 }), (TextRange { 3, 5 }));
    EXPECT_EQ(composedCharacterRange(cafe, { 4, 4 }), (TextRange { 3, 5 }));
    EXPECT_EQ(composedCharacterRange(cafe, { 0, 2 }), (TextRange { 0, 2 }));
    EXPECT_EQ(composedCharacterRange(cafe, { 5, 6 }), (TextRange { 5, 6 }));
}

TEST(KwRegexTest, AllMatchesInOrderAndNoneWithoutAMatch)
{
    const KwRegex regex("\\d+");
    const auto matches = regex.allMatches("1 22 333");
    ASSERT_EQ(matches.size(), 3);
    EXPECT_EQ(matches[0].value(), "1");
    EXPECT_EQ(matches[1].range(), (TextRange { 2, 4 }));
    EXPECT_EQ(matches[2].value(), "333");
    EXPECT_NE(matches[0], matches[1]);
    EXPECT_EQ(matches[1], regex.allMatches("1 22 333")[1]);
    EXPECT_FALSE(regex.firstMatch("none here").has_value());
    EXPECT_TRUE(regex.allMatches("none here").isEmpty());
    EXPECT_FALSE(regex.isMatched("none here"));
    EXPECT_TRUE(regex.isMatched("room 101"));
}

TEST(KwRegexTest, UnicodePropertiesAreOnAndEqualityFollowsTheExpression)
{
    EXPECT_TRUE(KwRegex("^\\w+$").isMatched(QStringLiteral("Grüße")));
    EXPECT_TRUE(
        KwRegex("x", QRegularExpression::MultilineOption)
            .options()
            .testFlags(QRegularExpression::MultilineOption | QRegularExpression::UseUnicodePropertiesOption));

    EXPECT_EQ(KwRegex("a+"), KwRegex("a+"));
    EXPECT_NE(KwRegex("a+"), KwRegex("a+", QRegularExpression::CaseInsensitiveOption));
    const QSet<KwRegex> set { KwRegex("a+"), KwRegex("a+"), KwRegex("b") };
    EXPECT_EQ(set.size(), 2);
    // Escaped text matches literally.
    const KwRegex escaped(KwRegex::escapingPattern("a.b*(c)$"));
    EXPECT_TRUE(escaped.isMatched("x a.b*(c)$ y"));
    EXPECT_FALSE(escaped.isMatched("aXb*(c)$"));
}

TEST(KwRegexTest, CompileReportsABadPatternToTheCaller)
{
    EXPECT_THROW(KwRegex::compile("(unclosed"), NSError);
    const auto error = KitTesting::thrown<NSError>([] { KwRegex::compile("a{2,1}"); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->domain(), "NSCocoaErrorDomain");
    EXPECT_EQ(error->code(), 2048);
    EXPECT_EQ(error->userInfo().value("NSInvalidValue").toString(), "a{2,1}");
    EXPECT_TRUE(error->localizedDescription().contains("a{2,1}")) << error->what();
    EXPECT_EQ(KwRegex::compile("a|b").pattern(), "a|b");
}

TEST(KwRegexDeathTest, AnInvalidFixedPatternStopsNamingTheCaller)
{
    const int line = __LINE__ + 1;
    EXPECT_DEATH(KwRegex("(unclosed"),
        "KwRegexTest\\.cpp:" + std::to_string(line)
            + ": Fatal error: Invalid regular expression: The pattern .*\\(unclosed.* is invalid");
}

TEST(KwRegexReplaceTest, FirstOrAllMatches)
{
    const KwRegex address("(\\w+)@(\\w+)");
    EXPECT_EQ(replacingFirstMatch("me@home, you@work", address, "$2 at $1"), "home at me, you@work");
    EXPECT_EQ(replacingFirstMatch("nothing", address, "$1"), "nothing");
    EXPECT_EQ(replacingAllMatches("Recording (12)", KwRegex(" \\((\\d+)\\)$"), " [$1]"), "Recording [12]");
    EXPECT_EQ(replacingAllMatches("a1b22c", KwRegex("\\d+"), "<$0>"), "a<1>b<22>c");
    EXPECT_EQ(replacingAllMatches("abc", KwRegex("x"), "y"), "abc");
    EXPECT_EQ(replacingAllMatches("ab", KwRegex("x*"), "-"), "-a-b-");
    EXPECT_EQ(
        replacingAllMatches("ab\nab", KwRegex("^a", QRegularExpression::MultilineOption), "A"), "Ab\nAb");
    EXPECT_EQ(
        replacingAllMatches("aXa", KwRegex("a"), "b", QRegularExpression::AnchorAtOffsetMatchOption), "bXa");
}

TEST(RegexTemplateTest, ReferencesEscapesAndLiteralsAndMatchedSubstringsLieInTheText)
{
    const auto match = QRegularExpression("(a)(b)(c)(?<tail>d)?(e)?").match("abc");
    ASSERT_TRUE(match.hasMatch());
    EXPECT_EQ(expandRegexTemplate("$3$2$1", match), "cba");
    EXPECT_EQ(expandRegexTemplate("[$0]", match), "[abc]");
    // Five groups: "$12" is group 1 followed by "2"; "$5" exists but did not take part.
    EXPECT_EQ(expandRegexTemplate("$12|$5|$9", match), "a2||");
    EXPECT_EQ(expandRegexTemplate("${tail}-${none}-$", match), "--$");
    EXPECT_EQ(expandRegexTemplate("\\$1 costs \\\\ $x ${", match), "$1 costs \\ $x ${");
    EXPECT_EQ(expandRegexTemplate("end\\", match), "end\\");

    const auto many = QRegularExpression("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)").match("abcdefghijkl");
    EXPECT_EQ(expandRegexTemplate("$12$1", many), "la");
    EXPECT_EQ(expandRegexTemplate("$123", many), "l3");

    const QString text = "file (2).m4a and (3)";
    QList<QRegularExpressionMatch> results;
    for (auto it = QRegularExpression("\\((\\d+)\\)").globalMatch(text); it.hasNext();) {
        results.append(it.next());
    }
    results.append(QRegularExpression("zzz").match(text));
    EXPECT_EQ(matchedSubstrings(results, text), QStringList({ "(2)", "(3)" }));
    // Searched in a longer text: the second result lies outside the short one.
    EXPECT_EQ(matchedSubstrings(results, "file (2).m4a"), QStringList({ "(2)" }));
}
