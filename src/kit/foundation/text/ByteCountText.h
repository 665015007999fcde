#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

// A byte count as people read file sizes, in decimal units:
// - zero is "Zero KB";
// - below 1000 bytes the exact count: "1 byte", "999 bytes";
// - otherwise the largest unit of KB, MB, GB, TB, PB, EB in which the count is
//   at least 1, with 0 fraction digits in KB, 1 in MB and 2 from GB up, rounded
//   half away from zero, trailing fraction zeros dropped ("1 MB", "1.5 MB",
//   "1.25 GB"); a value that rounds up to 1000 moves to the next unit
//   (999'999 bytes is "1 MB", not "1000 KB");
// - negative counts are the text of their size after the locale's minus sign.
// Digits and the decimal separator are the locale's.
QString byteCountFileText(std::int64_t count, const QLocale &locale = QLocale());
