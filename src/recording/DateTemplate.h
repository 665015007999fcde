#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Formats a date by a Unicode date-format pattern (the pattern language of
// date formatters: "yyyy-MM-dd 'at' HH.mm", "EEEE d MMMM"), in the locale's
// names and the date's time zone. Letters outside the pattern alphabet and
// everything quoted are copied as they stand; '' is one apostrophe.
QString formatDateTemplate(const QString &pattern, const QDateTime &date, const QLocale &locale = QLocale());
