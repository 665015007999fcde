#include "kit/foundation/text/WhitespacePredicates.h"
#include "kit/foundation/values/FloatingPointComparison.h"
#include "kit/foundation/values/LocationCoordinate2D.h"

#include <gtest/gtest.h>

#include <limits>

TEST(FloatingPointComparisonTest, RelativeToleranceTheLeastNormalFloorInfinitiesAndNaN)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double max = std::numeric_limits<double>::max();
    const struct
    {
        double a, b, tolerance;
        bool equal;
    } cases[] = {
        { 1.0, 1.0 + 1e-10, 1e-8, true },
        { 1.0, 1.0 + 1e-7, 1e-8, false },
        { 1e20, 1e20 + 1e10, 1e-8, true },
        { 0.0, 1e-320, 1e-8, true },
        { 0.0, 1e-300, 1e-8, false },
        { inf, inf, 1e-8, true },
        { inf, -inf, 1e-8, false },
        { nan, nan, 1e-8, false },
        { nan, 1.0, 1e-8, false },
        { 1.0, nan, 1e-8, false },
        { inf, 1.0, 1e-8, false },
        // Infinity sits next to the largest finite values once both are rescaled.
        { inf, max, 1.0, true },
        { max, inf, 1.0, true },
        { -inf, max, 1.0, false },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(isAlmostEqual(c.a, c.b, c.tolerance), c.equal) << c.a << " " << c.b << " " << c.tolerance;
    }
    EXPECT_TRUE(isAlmostEqual(1.0f, 1.0f + 1e-5f));
    EXPECT_FALSE(isAlmostEqual(1.0f, 1.01f));
    EXPECT_TRUE(isAlmostZero(-1e-9, 1e-8));
    EXPECT_FALSE(isAlmostZero(1e-8, 1e-8));
    EXPECT_FALSE(isAlmostZero(nan, 1.0));
}

TEST(WhitespacePredicatesTest, EmptyAndMixedTexts)
{
    EXPECT_TRUE(isWhitespace(u""));
    EXPECT_TRUE(isWhitespaceAndNewlines(u""));
    EXPECT_TRUE(isWhitespace(u" \t\u00A0\u3000"));
    EXPECT_TRUE(isWhitespace(u"\r\n \n"));
    EXPECT_TRUE(isWhitespaceAndNewlines(u"\u2028\u0085\r\n"));
    EXPECT_FALSE(isWhitespace(u"  a "));
    EXPECT_FALSE(isWhitespaceAndNewlines(u"\n.\n"));
    // A space carrying a combining mark is one character whose first point is a space.
    EXPECT_TRUE(isWhitespace(u" \u0301"));
    EXPECT_FALSE(isWhitespace(u"\u200B")); // zero-width space is a format character
}

TEST(LocationCoordinateTest, IdentityTextEqualityAndDistanceInMetres)
{
    EXPECT_EQ((LocationCoordinate2D { 1.5, -2.0 }).id(), "1.5--2.0");
    EXPECT_EQ((LocationCoordinate2D { 0.1, 1e-5 }).id(), "0.1-1e-05");
    EXPECT_EQ(doubleDescription(1e16), "1e+16");
    EXPECT_EQ(doubleDescription(123456.0), "123456.0");
    EXPECT_EQ(doubleDescription(-0.0), "-0.0");
    EXPECT_NE((LocationCoordinate2D { 1, 2 }), (LocationCoordinate2D { 2, 1 }));
    EXPECT_NE((CoordinateSpan { 0.5, 0.25 }), (CoordinateSpan { 0.5, 0.5 }));

    const LocationCoordinate2D origin { 0, 0 };
    // One degree of arc on the mean sphere, and the antipodes half the circumference away.
    EXPECT_NEAR(origin.distance({ 0, 1 }), 111'195, 1);
    EXPECT_NEAR(origin.distance({ 1, 0 }), 111'195, 1);
    EXPECT_DOUBLE_EQ(origin.distance(origin), 0);
    EXPECT_NEAR(origin.distance({ 0, 180 }), 20'015'115, 10);
    const LocationCoordinate2D paris { 48.8566, 2.3522 };
    const LocationCoordinate2D london { 51.5074, -0.1278 };
    EXPECT_NEAR(paris.distance(london), 343'500, 1'500);
    EXPECT_DOUBLE_EQ(paris.distance(london), london.distance(paris));
}
