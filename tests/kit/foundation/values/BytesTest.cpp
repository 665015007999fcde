#include "kit/foundation/values/Bytes.h"
#include "kit/foundation/text/ByteCountText.h"

#include <QHash>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();
} // namespace

TEST(BytesTest, UnitsTruncateTowardZeroAndCountsAndArithmeticAreExactAndClampAtTheEnds)
{
    EXPECT_EQ(Bytes::kilobytes(1.5).count(), 1500);
    EXPECT_EQ(Bytes::megabytes(0.0000001).count(), 0);
    EXPECT_EQ(Bytes::megabytes(-0.0000019).count(), -1);
    EXPECT_EQ(Bytes::gigabytes(2.5).count(), 2'500'000'000);
    EXPECT_EQ(Bytes::kilobytes(std::nan("")).count(), 0);
    EXPECT_EQ(Bytes::gigabytes(1e300).count(), int64Max);
    EXPECT_EQ(Bytes::gigabytes(-INFINITY).count(), int64Min);
    // A double would round this count to an even neighbour.
    EXPECT_EQ(Bytes::bytes((1ULL << 53) + 1).count(), (1LL << 53) + 1);
    EXPECT_EQ(Bytes::bytes(std::numeric_limits<std::uint64_t>::max()).count(), int64Max);
    EXPECT_DOUBLE_EQ(Bytes(2'500'000).in(Bytes::Unit::megabytes), 2.5);
    EXPECT_FALSE(Bytes::unitFromBytes(1024).has_value());
    EXPECT_EQ(Bytes::unitFromBytes(0.125), Bytes::Unit::bits);
    EXPECT_EQ(Bytes::unitFromBytes(1e9), Bytes::Unit::gigabytes);

    Bytes total = Bytes((1LL << 53) + 1);
    total += Bytes(2);
    EXPECT_EQ(total.count(), (1LL << 53) + 3);
    total -= Bytes(4);
    EXPECT_EQ(total.count(), (1LL << 53) - 1);
    EXPECT_EQ((Bytes(int64Max) + Bytes(1)).count(), int64Max);
    EXPECT_EQ((Bytes(int64Min) - Bytes(1)).count(), int64Min);
    EXPECT_EQ((Bytes(int64Min) + Bytes(-1)).count(), int64Min);
    EXPECT_EQ((Bytes(0) - Bytes(int64Min)).count(), int64Max);
    EXPECT_LT(Bytes(1), Bytes::kilobytes(0.002));
    QHash<Bytes, int> table { { Bytes(5), 1 } };
    EXPECT_EQ(table.value(Bytes::kilobytes(0.005)), 1);
}

TEST(ByteCountTextTest, FileStyleUnitsAndDigitsAndTheDebugDescriptionAddsTheExactCount)
{
    const std::pair<std::int64_t, const char *> cases[] = { { 0, "Zero KB" }, { 1, "1 byte" },
        { 999, "999 bytes" }, { 1000, "1 KB" }, { 1499, "1 KB" }, { 1500, "2 KB" }, { 999'499, "999 KB" },
        { 999'500, "1 MB" }, { 1'000'000, "1 MB" }, { 1'050'000, "1.1 MB" }, { 999'960'000, "1 GB" },
        { 1'250'000'000, "1.25 GB" }, { 1'200'000'000, "1.2 GB" }, { 3'000'000'000'000, "3 TB" },
        { int64Max, "9.22 EB" }, { int64Min, "-9.22 EB" } };
    for (const auto &[count, expected] : cases) {
        EXPECT_EQ(byteCountFileText(count, english), QString::fromUtf8(expected)) << count;
    }
    EXPECT_EQ(byteCountFileText(1'234'567, german), "1,2 MB");
    EXPECT_EQ(Bytes(1'234'567).debugDescription(english), "1.2 MB (1234567)");
    EXPECT_EQ(Bytes::zero().debugDescription(english), "Zero KB (0)");
    EXPECT_EQ(Bytes(-1500).debugDescription(english), "-2 KB (-1500)");
}

TEST(BytesTest, FormattedFollowsItsOptions)
{
    using Style = ByteCountFormatStyle::Style;
    using Unit = ByteCountFormatStyle::Unit;
    const auto options = [](Style kind, ByteCountFormatStyle::Units units, bool zero, bool actual) {
        return ByteCountFormatStyle { kind, units, zero, actual, english };
    };
    const auto all = ByteCountFormatStyle::allUnits();
    const std::tuple<std::int64_t, ByteCountFormatStyle, const char *> cases[] = {
        { 0, options(Style::file, all, true, false), "Zero KB" },
        { 0, options(Style::file, all, false, false), "0 bytes" },
        { 0, options(Style::file, Unit::mb | Unit::gb, true, false), "Zero MB" },
        { 1'234'567, options(Style::file, all, true, true), "1.2 MB (1,234,567 bytes)" },
        { 999, options(Style::file, all, true, true), "999 bytes" },
        { 1'048'576, options(Style::memory, all, true, false), "1 MB" },
        { 1'572'864, options(Style::binary, all, true, false), "1.5 MB" },
        { 1'500'000, options(Style::file, Unit::kb, true, false), "1,500 KB" },
        { 1'500'000'000, options(Style::file, Unit::kb | Unit::mb, true, false), "1,500 MB" },
        { 400, options(Style::file, Unit::mb, true, false), "0 MB" },
        { 999'999, options(Style::file, Unit::kb, true, false), "1,000 KB" },
    };
    for (const auto &[count, style, expected] : cases) {
        EXPECT_EQ(Bytes(count).formatted(style), QString::fromUtf8(expected)) << count;
    }
}

TEST(BytesTest, MeasurementsConvertBothWays)
{
    using Unit = InformationStorage::Unit;
    EXPECT_EQ(Bytes(1500).toMeasurement().converted(Unit::kilobytes).value(), 1.5);
    EXPECT_EQ(Bytes::fromMeasurement(InformationStorage(1.5, Unit::kibibytes)).count(), 1536);
    EXPECT_EQ(Bytes::fromMeasurement(InformationStorage(-12.9, Unit::bytes)).count(), -12);
    EXPECT_EQ(Bytes::fromMeasurement(InformationStorage(1e30, Unit::terabytes)).count(), int64Max);
    EXPECT_EQ(InformationStorage(8, Unit::bits), InformationStorage(1, Unit::bytes));
    EXPECT_LT(InformationStorage(1, Unit::kilobytes), InformationStorage(1, Unit::kibibytes));
}
