#include "kit/foundation/text/StringHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(Wrapped, BreaksAtTheFirstSpaceOnceALineIsLongEnough)
{
    EXPECT_EQ(wrapped(QStringLiteral("aa bb cc dd"), 4), QStringLiteral("aa bb\ncc dd"));
    EXPECT_EQ(wrapped(QStringLiteral("abcdef gh"), 3), QStringLiteral("abcdef\ngh"));
    EXPECT_EQ(wrapped(QStringLiteral("short"), 40), QStringLiteral("short"));
    EXPECT_EQ(wrapped(QString(), 3), QString());
}

TEST(Wrapped, KeepsEmptyPiecesAndTreatsEveryLineBreakAsOne)
{
    EXPECT_EQ(wrapped(QStringLiteral("a\n\nb"), 10), QStringLiteral("a\n\nb"));
    EXPECT_EQ(wrapped(QStringLiteral("a\r\nb"), 10), QStringLiteral("a\nb"));
    // After a break the new line is short again, so the next space is kept.
    EXPECT_EQ(wrapped(QStringLiteral("abc  d"), 3), QStringLiteral("abc\n d"));
    // With no minimum every space breaks, and two spaces leave an empty line.
    EXPECT_EQ(wrapped(QStringLiteral("ab  c"), 0), QStringLiteral("ab\n\nc"));
    // The line break restarts the count.
    EXPECT_EQ(wrapped(QStringLiteral("abcd\nx y"), 2), QStringLiteral("abcd\nx y"));
}

TEST(Wrapped, CountsCharactersNotCodeUnits)
{
    // "é" as e + combining accent and a flag emoji each count as one character.
    const QString word = QStringLiteral("e\u0301\U0001F1E9\U0001F1EA");
    EXPECT_EQ(wrapped(word + QStringLiteral(" x"), 3), word + QStringLiteral(" x"));
    EXPECT_EQ(wrapped(word + QStringLiteral(" x"), 2), word + QStringLiteral("\nx"));
}

TEST(NilIfEmptyOrWhitespace, DropsOnlyBlankText)
{
    EXPECT_FALSE(nilIfEmptyOrWhitespace(QString()).has_value());
    EXPECT_FALSE(nilIfEmptyOrWhitespace(QStringLiteral(" \t\n\r ")).has_value());
    EXPECT_FALSE(nilIfEmptyOrWhitespace(QStringLiteral("\u2028\u00a0\u0085")).has_value());
    EXPECT_EQ(nilIfEmptyOrWhitespace(QStringLiteral(" a ")), QStringLiteral(" a "));
}

} // namespace
