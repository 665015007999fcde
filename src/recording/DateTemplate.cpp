#include "recording/DateTemplate.h"

#include <QTimeZone>

#include <cmath>

namespace {

QString padded(qint64 value, int width)
{
    const QString digits = QString::number(std::abs(value)).rightJustified(width, u'0');
    return value < 0 ? u'-' + digits : digits;
}

// "+hh:mm" (or without the colon, or "+hh" when minutes are zero and allowed).
QString offsetText(int seconds, bool colon, bool hoursOnlyWhenWhole)
{
    const QChar sign = seconds < 0 ? u'-' : u'+';
    const int minutes = std::abs(seconds) / 60;
    const QString hours = padded(minutes / 60, 2);
    if (hoursOnlyWhenWhole && minutes % 60 == 0) {
        return sign + hours;
    }
    return sign + hours + (colon ? QStringLiteral(":") : QString()) + padded(minutes % 60, 2);
}

// "GMT", "GMT+1", "GMT+1:30" (short) or "GMT+01:00" (long).
QString gmtText(int seconds, bool longForm)
{
    if (seconds == 0) {
        return QStringLiteral("GMT");
    }
    if (longForm) {
        return QStringLiteral("GMT") + offsetText(seconds, true, false);
    }
    const QChar sign = seconds < 0 ? u'-' : u'+';
    const int minutes = std::abs(seconds) / 60;
    QString text = QStringLiteral("GMT") + sign + QString::number(minutes / 60);
    if (minutes % 60) {
        text += u':' + padded(minutes % 60, 2);
    }
    return text;
}

QString isoOffset(int seconds, int count, bool zForZero)
{
    if (zForZero && seconds == 0) {
        return QStringLiteral("Z");
    }
    switch (count) {
    case 1:
        return offsetText(seconds, false, true);
    case 2:
    case 4:
        return offsetText(seconds, false, false);
    default:
        return offsetText(seconds, true, false);
    }
}

QString monthName(const QLocale &locale, int month, int count, bool standalone)
{
    const QLocale::FormatType type = count == 3 ? QLocale::ShortFormat
        : count == 4                            ? QLocale::LongFormat
                                                : QLocale::NarrowFormat;
    return standalone ? locale.standaloneMonthName(month, type) : locale.monthName(month, type);
}

QString dayName(const QLocale &locale, int day, int count, bool standalone)
{
    if (count == 6) {
        return locale.dayName(day, QLocale::ShortFormat).left(2);
    }
    const QLocale::FormatType type = count <= 3 ? QLocale::ShortFormat
        : count == 4                            ? QLocale::LongFormat
                                                : QLocale::NarrowFormat;
    return standalone ? locale.standaloneDayName(day, type) : locale.dayName(day, type);
}

// The weekday counted from the locale's first day of the week, 1…7.
int localWeekday(const QLocale &locale, int dayOfWeek)
{
    return (dayOfWeek - int(locale.firstDayOfWeek()) + 7) % 7 + 1;
}

QString quarterText(int quarter, int count)
{
    switch (count) {
    case 1:
    case 5:
        return QString::number(quarter);
    case 2:
        return padded(quarter, 2);
    case 3:
        return QStringLiteral("Q%1").arg(quarter);
    default: {
        static const char *const ordinals[] = { "1st", "2nd", "3rd", "4th" };
        return QStringLiteral("%1 quarter").arg(QLatin1String(ordinals[quarter - 1]));
    }
    }
}

QString yearText(int year, int count)
{
    if (count == 2) {
        return padded(((year % 100) + 100) % 100, 2);
    }
    return padded(year, count);
}

QString field(QChar letter, int count, const QDateTime &date, const QLocale &locale)
{
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc();
    switch (letter.unicode()) {
    case u'G': // era
        if (count == 4) {
            return day.year() > 0 ? QStringLiteral("Anno Domini") : QStringLiteral("Before Christ");
        }
        if (count == 5) {
            return day.year() > 0 ? QStringLiteral("A") : QStringLiteral("B");
        }
        return day.year() > 0 ? QStringLiteral("AD") : QStringLiteral("BC");
    case u'y':
    case u'u':
        return yearText(day.year(), count);
    case u'Y': {
        int weekYear = day.year();
        day.weekNumber(&weekYear);
        return yearText(weekYear, count);
    }
    case u'Q':
    case u'q':
        return quarterText((day.month() - 1) / 3 + 1, count);
    case u'M':
    case u'L':
        if (count <= 2) {
            return padded(day.month(), count);
        }
        return monthName(locale, day.month(), count, letter == u'L');
    case u'w':
        return padded(day.weekNumber(), count);
    case u'W':
        return QString::number(
            (day.day() + localWeekday(locale, QDate(day.year(), day.month(), 1).dayOfWeek()) - 2) / 7 + 1);
    case u'd':
        return padded(day.day(), count);
    case u'D':
        return padded(day.dayOfYear(), count);
    case u'F':
        return QString::number((day.day() - 1) / 7 + 1);
    case u'g':
        return padded(day.toJulianDay() - 2400001, count);
    case u'E':
        return dayName(locale, day.dayOfWeek(), count, false);
    case u'e':
    case u'c':
        if (count <= 2) {
            return padded(localWeekday(locale, day.dayOfWeek()), letter == u'c' ? 1 : count);
        }
        return dayName(locale, day.dayOfWeek(), count, letter == u'c');
    case u'a':
    case u'b':
    case u'B':
        return time.hour() < 12 ? locale.amText() : locale.pmText();
    case u'h':
        return padded((time.hour() + 11) % 12 + 1, count);
    case u'H':
        return padded(time.hour(), count);
    case u'K':
        return padded(time.hour() % 12, count);
    case u'k':
        return padded(time.hour() == 0 ? 24 : time.hour(), count);
    case u'm':
        return padded(time.minute(), count);
    case u's':
        return padded(time.second(), count);
    case u'S': {
        // Fractions are truncated, never rounded up into the next second.
        const QString millis = padded(time.msec(), 3);
        return count <= 3 ? millis.left(count) : millis + QString(count - 3, u'0');
    }
    case u'A':
        return padded(time.msecsSinceStartOfDay(), count);
    case u'z':
        return date.timeZone().displayName(
            date, count == 4 ? QTimeZone::LongName : QTimeZone::ShortName, locale);
    case u'Z':
        if (count == 4) {
            return gmtText(offset, true);
        }
        if (count == 5) {
            return isoOffset(offset, 5, true);
        }
        return offsetText(offset, false, false);
    case u'O':
        return gmtText(offset, count == 4);
    case u'v':
        return date.timeZone().displayName(
            QTimeZone::GenericTime, count == 4 ? QTimeZone::LongName : QTimeZone::ShortName, locale);
    case u'V':
        if (count == 2) {
            return QString::fromUtf8(date.timeZone().id());
        }
        return date.timeZone().displayName(date, QTimeZone::LongName, locale);
    case u'X':
        return isoOffset(offset, count, true);
    case u'x':
        return isoOffset(offset, count, false);
    default:
        return QString(count, letter);
    }
}

} // namespace

QString formatDateTemplate(const QString &pattern, const QDateTime &date, const QLocale &locale)
{
    QString result;
    qsizetype index = 0;
    while (index < pattern.size()) {
        const QChar character = pattern[index];
        if (character == u'\'') {
            if (index + 1 < pattern.size() && pattern[index + 1] == u'\'') {
                result += u'\'';
                index += 2;
                continue;
            }
            // Quoted text runs to the next lone apostrophe, '' inside standing for one.
            ++index;
            while (index < pattern.size()) {
                if (pattern[index] == u'\'') {
                    if (index + 1 < pattern.size() && pattern[index + 1] == u'\'') {
                        result += u'\'';
                        index += 2;
                        continue;
                    }
                    ++index;
                    break;
                }
                result += pattern[index++];
            }
            continue;
        }
        const bool isPatternLetter
            = (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
        if (!isPatternLetter) {
            result += character;
            ++index;
            continue;
        }
        qsizetype end = index;
        while (end < pattern.size() && pattern[end] == character) {
            ++end;
        }
        result += field(character, int(end - index), date, locale);
        index = end;
    }
    return result;
}
