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

// A trimmed prefix or the default, then the date, unless a template replaces the whole name; never
// a path separator.
TEST(RecordingNameTest, PrefixDateAndTemplate)
{
    const QString dated = QStringLiteral(" 2024-03-05 at 14.07.09");
    const std::tuple<std::optional<QString>, std::optional<QString>, QString> cases[] = {
        { std::nullopt, std::nullopt, "Audio Recording" + dated },
        { "", std::nullopt, "Audio Recording" + dated },
        { "   ", std::nullopt, "Audio Recording" + dated },
        { "\n\t", "  ", "Audio Recording" + dated },
        { "  Interview\n", std::nullopt, "Interview" + dated },
        { "Interview", "yyyy-MM-dd", "2024-03-05" },
        { std::nullopt, "yyyy/MM/dd", "2024-03-05" },
        { "a/b", std::nullopt, "a-b" + dated },
        { std::nullopt, "'line\nbreak'", "line break" },
        { std::nullopt, "'/'", "-" },
        { std::nullopt, "''", "'" },
        // A template without usable text falls back to the prefix.
        { "Talk", "' '", "Talk" + dated },
        { "Talk", "'..'", "Talk" + dated },
        { "Talk", "' .. '", "Talk" + dated },
    };
    for (const auto &[prefix, dateTemplate, expected] : cases) {
        EXPECT_EQ(recordingName(prefix, dateTemplate, sampleDate(), english), expected)
            << prefix.value_or("-").toStdString() << " / " << dateTemplate.value_or("-").toStdString();
    }
}

// A name always fits the file system's 255 bytes with its extension: a long prefix gives up its end,
// between characters, and keeps the date; a long template's text gives up its end.
TEST(RecordingNameTest, ANameFitsAFileNameWithItsExtension)
{
    const QString dated = QStringLiteral(" 2024-03-05 at 14.07.09");
    // What the prefix may take: 255, less the extension, the space and the date.
    const qsizetype room = 255 - 4 - dated.size();
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467"); // 18 bytes
    const QString accented = QStringLiteral("e\u0301"); // one character of 3 bytes
    const std::tuple<const char *, QString, std::optional<QString>, QString> cases[] = {
        { "fits to the byte", QString(room, u'x'), std::nullopt, QString(room, u'x') + dated },
        { "one byte over", QString(room + 1, u'x'), std::nullopt, QString(room, u'x') + dated },
        { "three-byte characters", QString(80, QChar(0x9332)), std::nullopt,
            QString(room / 3, QChar(0x9332)) + dated },
        { "emoji sequences stay whole", family.repeated(80), std::nullopt,
            family.repeated(room / 18) + dated },
        { "an accent stays on its letter", QString(room - 2, u'x') + accented, std::nullopt,
            QString(room - 2, u'x') + dated },
        { "a blank at the cut goes",
            QString(room - 2, u'x') + QStringLiteral(" ") + QString(9, QChar(0x9332)), std::nullopt,
            QString(room - 2, u'x') + dated },
        { "a character larger than the room", u'a' + QString(200, QChar(0x0301)), std::nullopt,
            "Audio Recording" + dated },
        { "a template's text", "x", "'" + QString(300, QChar(0x9332)) + "'",
            QString(251 / 3, QChar(0x9332)) },
    };
    for (const auto &[name, prefix, dateTemplate, expected] : cases) {
        const QString made = recordingName(prefix, dateTemplate, sampleDate(), english);
        EXPECT_EQ(made.toStdString(), expected.toStdString()) << name;
        EXPECT_LE(made.toUtf8().size() + 4, 255) << name;
    }
}

TEST(DateTemplateTest, FieldsNamesQuotesAndZones)
{
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 30), QTimeZone::utc());
    const QDateTime noon(QDate(2024, 3, 5), QTime(12, 30), QTimeZone::utc());
    const QDateTime utc(QDate(2024, 3, 5), QTime(14, 7), QTimeZone::utc());
    const QDateTime india(QDate(2024, 3, 5), QTime(14, 7), QTimeZone(19800));
    const QDateTime lateDecember(QDate(2024, 12, 30), QTime(9, 0), QTimeZone::utc());
    const std::tuple<const char *, QDateTime, const char *> cases[] = {
        // Numeric fields pad to their length.
        { "y yy yyyy yyyyy", sampleDate(), "2024 24 2024 02024" },
        { "M MM d dd D DDD", sampleDate(), "3 03 5 05 65 065" },
        { "H HH h hh K k m mm s ss", sampleDate(), "14 14 2 02 2 14 7 07 9 09" },
        { "S SS SSS SSSS", sampleDate(), "2 25 250 2500" },
        { "Q QQ QQQ QQQQ", sampleDate(), "1 01 Q1 1st quarter" },
        { "w ww F", sampleDate(), "10 10 1" },
        // Midnight and noon on the twelve- and twenty-four-hour clocks.
        { "h K k H a", midnight, "12 0 24 0 AM" },
        { "h K k H a", noon, "12 0 12 12 PM" },
        { "EEE EEEE EEEEE MMM MMMM LLLL", sampleDate(), "Tue Tuesday T Mar March March" },
        { "G GGGG", sampleDate(), "AD Anno Domini" },
        { "yyyy-MM-dd 'at' HH.mm.ss", sampleDate(), "2024-03-05 at 14.07.09" },
        { "h 'o''clock'", sampleDate(), "2 o'clock" },
        { "''yy", sampleDate(), "'24" },
        { "'unterminated", sampleDate(), "unterminated" },
        { "[d] #1 _", sampleDate(), "[5] #1 _" },
        { "Z ZZZZ ZZZZZ", sampleDate(), "+0100 GMT+01:00 +01:00" },
        { "X XX XXX x", sampleDate(), "+01 +0100 +01:00 +01" },
        { "O OOOO", sampleDate(), "GMT+1 GMT+01:00" },
        { "X ZZZZZ O xx", utc, "Z Z GMT +0000" },
        { "X O", india, "+0530 GMT+5:30" },
        // The week year at the turn of the year.
        { "YYYY-'W'ww yyyy", lateDecember, "2025-W01 2024" },
    };
    for (const auto &[pattern, date, expected] : cases) {
        EXPECT_EQ(format(pattern, date), QString::fromUtf8(expected)) << pattern;
    }
    // Names come from the locale.
    EXPECT_EQ(formatDateTemplate(QStringLiteral("EEEE d MMMM"), sampleDate(), QLocale(QLocale::German)),
        QStringLiteral("Dienstag 5 März"));
}

} // namespace
