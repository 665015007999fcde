#pragma once

#include <QFlags>
#include <QLocale>
#include <QString>

#include <cstdint>

// How a byte count reads as text.
struct ByteCountFormatStyle
{
    // file and decimal count in thousands, memory and binary in 1024s; the unit names are the same.
    enum class Style { file, memory, decimal, binary };
    enum class Unit { bytes = 0x1, kb = 0x2, mb = 0x4, gb = 0x8, tb = 0x10, pb = 0x20, eb = 0x40 };
    Q_DECLARE_FLAGS(Units, Unit)
    static constexpr Units allUnits() { return Units(0x7f); }

    Style style = Style::file;
    Units allowedUnits = allUnits();
    // "Zero KB" rather than "0 bytes".
    bool spellsOutZero = true;
    // The exact count in parentheses after a count shown in a larger unit: "1.2 MB (1,234,567 bytes)".
    bool includesActualByteCount = false;
    QLocale locale = QLocale();

    // - below one unit of the smallest allowed unit above bytes, the exact count: "1 byte",
    //   "999 bytes" (when bytes are allowed);
    // - otherwise the largest allowed unit in which the count is at least 1, with 0 fraction
    //   digits in KB, 1 in MB and 2 from GB up, rounded half away from zero, trailing fraction
    //   zeros dropped ("1 MB", "1.5 MB", "1.25 GB"); a value that rounds up to a whole next unit
    //   moves to it when that unit is allowed (999'999 bytes is "1 MB", not "1000 KB");
    // - with no allowed unit small enough, the smallest allowed unit with its fraction digits;
    // - negative counts are the text of their size after the locale's minus sign.
    // Digits and the decimal separator are the locale's.
    QString format(std::int64_t count) const;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ByteCountFormatStyle::Units)

// The count in the file style with every unit, zero spelled out.
QString byteCountFileText(std::int64_t count, const QLocale &locale = QLocale());
