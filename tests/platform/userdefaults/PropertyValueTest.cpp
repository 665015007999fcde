#include "platform/userdefaults/PropertyValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(PropertyValue, KindsStayApartComparisonIsStrictAndNumbersConvertOnlyExactly)
{
    EXPECT_EQ(PropertyValue(true).kind(), PropertyValue::Kind::Bool);
    EXPECT_EQ(PropertyValue(1).kind(), PropertyValue::Kind::Int);
    EXPECT_EQ(PropertyValue(1u).kind(), PropertyValue::Kind::UInt);
    EXPECT_EQ(PropertyValue(1.0).kind(), PropertyValue::Kind::Double);
    EXPECT_NE(PropertyValue(1), PropertyValue(true));
    EXPECT_NE(PropertyValue(1), PropertyValue(1.0));
    EXPECT_NE(PropertyValue(1), PropertyValue(std::uint64_t(1)));
    // Strict equality: NaN is itself, signed zeros are apart.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PropertyValue(nan), PropertyValue(nan));
    EXPECT_NE(PropertyValue(0.0), PropertyValue(-0.0));
    EXPECT_EQ(PropertyValue(PropertyArray { PropertyValue(nan) }),
        PropertyValue(PropertyArray { PropertyValue(nan) }));

    // Exact numbers convert only when the target holds the value.
    EXPECT_EQ(PropertyValue(5.0).exactNumber<int>(), 5);
    EXPECT_EQ(PropertyValue(5.7).exactNumber<int>(), std::nullopt);
    EXPECT_EQ(PropertyValue(300).exactNumber<std::int8_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(-1).exactNumber<std::uint32_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(127).exactNumber<std::int8_t>(), std::int8_t(127));
    EXPECT_EQ(
        PropertyValue(std::numeric_limits<std::uint64_t>::max()).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::uint64_t(42)).exactNumber<std::int64_t>(), 42);
    EXPECT_EQ(PropertyValue(std::numeric_limits<std::uint64_t>::max()).exactNumber<double>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::uint64_t(1) << 63).exactNumber<double>(), 9223372036854775808.0);
    // 2^63 is a double but no int64; 2^53 + 1 is an int64 but no double.
    EXPECT_EQ(PropertyValue(9223372036854775808.0).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_EQ(PropertyValue(std::int64_t(9007199254740993)).exactNumber<double>(), std::nullopt);
    EXPECT_EQ(PropertyValue(0.1).exactNumber<float>(), std::nullopt);
    EXPECT_EQ(PropertyValue(0.5).exactNumber<float>(), 0.5f);
    // Booleans are the numbers zero and one.
    EXPECT_EQ(PropertyValue(1).exactNumber<bool>(), true);
    EXPECT_EQ(PropertyValue(0.0).exactNumber<bool>(), false);
    EXPECT_EQ(PropertyValue(2).exactNumber<bool>(), std::nullopt);
    EXPECT_EQ(PropertyValue(true).exactNumber<int>(), 1);
    EXPECT_EQ(PropertyValue(std::uint64_t(1)).exactNumber<bool>(), true);
    EXPECT_EQ(PropertyValue(std::uint64_t(2)).exactNumber<bool>(), std::nullopt);
    EXPECT_EQ(PropertyValue("true").exactNumber<bool>(), std::nullopt);
    // Non-finite doubles read only as floating point.
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PropertyValue(infinity).exactNumber<float>(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(PropertyValue(infinity).exactNumber<std::int64_t>(), std::nullopt);
    EXPECT_TRUE(std::isnan(*PropertyValue(std::nan("")).exactNumber<double>()));
    EXPECT_EQ(PropertyValue(std::nan("")).exactNumber<bool>(), std::nullopt);
}

} // namespace
