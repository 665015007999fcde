#include "kit/foundation/text/StringHelpers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Wrapped, BreaksAtTheFirstSpaceOnceALineOfCharactersIsLongEnoughAndAtEveryLineBreak)
{
    EXPECT_EQ(wrapped(u"aa bb cc dd"_s, 4), u"aa bb\ncc dd"_s);
    EXPECT_EQ(wrapped(u"abcdef gh"_s, 3), u"abcdef\ngh"_s);
    EXPECT_EQ(wrapped(u"short"_s, 40), u"short"_s);
    EXPECT_EQ(wrapped(QString(), 3), QString());

    EXPECT_EQ(wrapped(u"a\n\nb"_s, 10), u"a\n\nb"_s);
    EXPECT_EQ(wrapped(u"a\r\nb"_s, 10), u"a\nb"_s);
    // After a break the new line is short again, so the next space is kept.
    EXPECT_EQ(wrapped(u"abc  d"_s, 3), u"abc\n d"_s);
    // With no minimum every space breaks, and two spaces leave an empty line.
    EXPECT_EQ(wrapped(u"ab  c"_s, 0), u"ab\n\nc"_s);
    // The line break restarts the count.
    EXPECT_EQ(wrapped(u"abcd\nx y"_s, 2), u"abcd\nx y"_s);

    // "é" as e + combining accent and a flag emoji each count as one character.
    const QString word = u"e\u0301\U0001F1E9\U0001F1EA"_s;
    EXPECT_EQ(wrapped(word + u" x"_s, 3), word + u" x"_s);
    EXPECT_EQ(wrapped(word + u" x"_s, 2), word + u"\nx"_s);
}

TEST(LeadingWithinUtf8Bytes, KeepsWholeCharactersThatFitTheBytes)
{
    // "é" as e + combining accent (3 bytes), a flag (8 bytes), a CJK letter (3 bytes).
    const QString accent = u"e\u0301"_s;
    const QString flag = u"\U0001F1E9\U0001F1EA"_s;
    const QString letter = u"\u540D"_s;
    const struct
    {
        QString text;
        qsizetype bytes;
        QString expected;
    } cases[] = {
        { u"abc"_s, 3, u"abc"_s },
        { u"abc"_s, 2, u"ab"_s },
        { u"abc"_s, 0, QString() },
        { u"abc"_s, -4, QString() },
        { QString(), 5, QString() },
        { u"a"_s + accent + u"b"_s, 3, u"a"_s },
        { u"a"_s + accent + u"b"_s, 4, u"a"_s + accent },
        { flag + u"x"_s, 7, QString() },
        { flag + u"x"_s, 8, flag },
        { letter.repeated(3), 8, letter.repeated(2) },
    };
    for (const auto &[text, bytes, expected] : cases) {
        SCOPED_TRACE(text.toStdString() + " in " + std::to_string(bytes));
        EXPECT_EQ(leadingWithinUtf8Bytes(text, bytes), expected);
    }
}

TEST(WithLiteralAmpersands, DoublesEveryAmpersand)
{
    EXPECT_EQ(withLiteralAmpersands(u"Rock & Roll && more&"_s), u"Rock && Roll &&&& more&&"_s);
    EXPECT_EQ(withLiteralAmpersands(u"plain"_s), u"plain"_s);
}

TEST(NilIfEmptyOrWhitespace, DropsOnlyBlankText)
{
    EXPECT_FALSE(nilIfEmptyOrWhitespace(QString()).has_value());
    EXPECT_FALSE(nilIfEmptyOrWhitespace(u" \t\n\r "_s).has_value());
    EXPECT_FALSE(nilIfEmptyOrWhitespace(u"\u2028\u00a0\u0085"_s).has_value());
    EXPECT_EQ(nilIfEmptyOrWhitespace(u" a "_s), u" a "_s);
}

} // namespace
