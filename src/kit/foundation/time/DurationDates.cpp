#include "kit/foundation/time/DurationDates.h"

#include "kit/foundation/values/SaturatingInt64.h"

#include <QTimeZone>

DurationDates::Offset::Offset(KwDuration span)
    : m_milliseconds(SaturatingInt64::fromDoubleRounding(span.seconds() * 1000))
{ }

DurationDates::Offset::Offset(Duration span)
    : m_milliseconds(toMilliseconds(span))
{ }

QDateTime DurationDates::referenceDate()
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
}

QDateTime DurationDates::sinceNow(Offset offset)
{
    return QDateTime::currentDateTime().addMSecs(offset.milliseconds());
}

QDateTime DurationDates::since1970(Offset offset)
{
    return QDateTime::fromMSecsSinceEpoch(offset.milliseconds(), QTimeZone::utc());
}

QDateTime DurationDates::since(Offset offset, const QDateTime &date)
{
    return date.addMSecs(offset.milliseconds());
}

QDateTime DurationDates::sinceReferenceDate(Offset offset)
{
    return referenceDate().addMSecs(offset.milliseconds());
}

QDateTime DurationDates::adding(const QDateTime &date, Offset offset)
{
    return since(offset, date);
}
