#pragma once

#include "kit/foundation/time/Duration.h"
#include "kit/foundation/time/KwDuration.h"

#include <QDateTime>

// Dates offset by a span. Dates hold milliseconds, so spans are rounded to the
// nearest millisecond.
namespace DurationDates {

// Either kind of span, as the milliseconds a date can add.
class Offset
{
public:
    Offset(KwDuration span);
    Offset(Duration span);
    qint64 milliseconds() const { return m_milliseconds; }

private:
    qint64 m_milliseconds;
};

// 2001-01-01 00:00:00 UTC, the epoch of "reference date" offsets.
QDateTime referenceDate();

QDateTime sinceNow(Offset offset);
QDateTime since1970(Offset offset);
QDateTime since(Offset offset, const QDateTime &date);
QDateTime sinceReferenceDate(Offset offset);
QDateTime adding(const QDateTime &date, Offset offset);

} // namespace DurationDates
