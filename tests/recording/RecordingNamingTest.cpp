#include "recording/RecordingNaming.h"
#include "recording/DateTemplate.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// 5 March 2024, 14:07:09.250, a Tuesday, one hour ahead of UTC.
QDateTime sampleDate()
{
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 250), QTimeZone(3600));
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

QString format(const char *pattern, const QDateTime &date = sampleDate())
{
    return formatDateTemplate(QString::fromUtf8(pattern), date, english);
}

TEST(RecordingNameTest, ATrimmedPrefixOrTheDefaultThenTheDateUnlessATemplateReplacesTheWholeName)
{
    const QString expected = QStringLiteral("Audio Recording 2024-03-05 at 14.07.09");
    EXPECT_EQ(recordingName(std::nullopt, std::nullopt, sampleDate(), english), expected);
    EXPECT_EQ(recordingName(QString(), std::nullopt, sampleDate(), english), expected);
    EXPECT_EQ(recordingName(QStringLiteral("   "), std::nullopt, sampleDate(), english), expected);
    EXPECT_EQ(recordingName(QStringLiteral("\n\t"), QStringLiteral("  "), sampleDate(), english), expected);
    EXPECT_EQ(recordingName(QStringLiteral("  Interview\n"), std::nullopt, sampleDate(), english),
        QStringLiteral("Interview 2024-03-05 at 14.07.09"));
    EXPECT_EQ(recordingName(QStringLiteral("Interview"), QStringLiteral("yyyy-MM-dd"), sampleDate(), english),
        QStringLiteral("2024-03-05"));
}

TEST(RecordingNameTest, NeverAPathSeparator)
{
    EXPECT_EQ(recordingName(std::nullopt, QStringLiteral("yyyy/MM/dd"), sampleDate(), english),
        QStringLiteral("2024-03-05"));
    EXPECT_EQ(recordingName(QStringLiteral("a/b"), std::nullopt, sampleDate(), english),
        QStringLiteral("a-b 2024-03-05 at 14.07.09"));
    EXPECT_EQ(recordingName(std::nullopt, QStringLiteral("'line\nbreak'"), sampleDate(), english),
        QStringLiteral("line break"));
    EXPECT_EQ(recordingName(std::nullopt, QStringLiteral("'/'"), sampleDate(), english), QStringLiteral("-"));
    EXPECT_EQ(recordingName(std::nullopt, QStringLiteral("''"), sampleDate(), english), QStringLiteral("'"));
}

TEST(RecordingNameTest, TemplateWithoutUsableTextFallsBackToThePrefix)
{
    const QString fallback = QStringLiteral("Talk 2024-03-05 at 14.07.09");
    for (const char *pattern : { "' '", "'.'", "'..'", "'\t'", "' .. '" }) {
        EXPECT_EQ(recordingName(QStringLiteral("Talk"), QString::fromUtf8(pattern), sampleDate(), english),
            fallback)
            << pattern;
    }
}

TEST(DateTemplateTest, NumericFieldsPadToTheirLength)
{
    EXPECT_EQ(format("y yy yyyy yyyyy"), QStringLiteral("2024 24 2024 02024"));
    EXPECT_EQ(format("M MM d dd D DDD"), QStringLiteral("3 03 5 05 65 065"));
    EXPECT_EQ(format("H HH h hh K k m mm s ss"), QStringLiteral("14 14 2 02 2 14 7 07 9 09"));
    EXPECT_EQ(format("S SS SSS SSSS"), QStringLiteral("2 25 250 2500"));
    EXPECT_EQ(format("Q QQ QQQ QQQQ"), QStringLiteral("1 01 Q1 1st quarter"));
    EXPECT_EQ(format("w ww F"), QStringLiteral("10 10 1"));
}

TEST(DateTemplateTest, MidnightAndNoonOnTheTwelveAndTwentyFourHourClocks)
{
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 30), QTimeZone::utc());
    EXPECT_EQ(format("h K k H a", midnight), QStringLiteral("12 0 24 0 AM"));
    const QDateTime noon(QDate(2024, 3, 5), QTime(12, 30), QTimeZone::utc());
    EXPECT_EQ(format("h K k H a", noon), QStringLiteral("12 0 12 12 PM"));
}

TEST(DateTemplateTest, NamesComeFromTheLocale)
{
    EXPECT_EQ(format("EEE EEEE EEEEE MMM MMMM LLLL"), QStringLiteral("Tue Tuesday T Mar March March"));
    EXPECT_EQ(formatDateTemplate(QStringLiteral("EEEE d MMMM"), sampleDate(), QLocale(QLocale::German)),
        QStringLiteral("Dienstag 5 März"));
    EXPECT_EQ(format("G GGGG"), QStringLiteral("AD Anno Domini"));
}

TEST(DateTemplateTest, QuotesAndLiterals)
{
    EXPECT_EQ(format("yyyy-MM-dd 'at' HH.mm.ss"), QStringLiteral("2024-03-05 at 14.07.09"));
    EXPECT_EQ(format("h 'o''clock'"), QStringLiteral("2 o'clock"));
    EXPECT_EQ(format("''yy"), QStringLiteral("'24"));
    EXPECT_EQ(format("'unterminated"), QStringLiteral("unterminated"));
    EXPECT_EQ(format("[d] #1 _"), QStringLiteral("[5] #1 _"));
}

TEST(DateTemplateTest, TimeZoneOffsets)
{
    EXPECT_EQ(format("Z ZZZZ ZZZZZ"), QStringLiteral("+0100 GMT+01:00 +01:00"));
    EXPECT_EQ(format("X XX XXX x"), QStringLiteral("+01 +0100 +01:00 +01"));
    EXPECT_EQ(format("O OOOO"), QStringLiteral("GMT+1 GMT+01:00"));
    const QDateTime utc(QDate(2024, 3, 5), QTime(14, 7), QTimeZone::utc());
    EXPECT_EQ(format("X ZZZZZ O xx", utc), QStringLiteral("Z Z GMT +0000"));
    const QDateTime india(QDate(2024, 3, 5), QTime(14, 7), QTimeZone(19800));
    EXPECT_EQ(format("X O", india), QStringLiteral("+0530 GMT+5:30"));
}

TEST(DateTemplateTest, WeekYearAtTheTurnOfTheYear)
{
    const QDateTime lateDecember(QDate(2024, 12, 30), QTime(9, 0), QTimeZone::utc());
    EXPECT_EQ(format("YYYY-'W'ww yyyy", lateDecember), QStringLiteral("2025-W01 2024"));
}

} // namespace
