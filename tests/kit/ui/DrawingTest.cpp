#include "kit/ui/LayerHostingView.h"
#include "kit/ui/LayoutShortcuts.h"
#include "kit/ui/PainterPaths.h"
#include "kit/ui/ProgressShape.h"

#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Element
{
    QPainterPath::ElementType type;
    QPointF point;
};

std::vector<Element> elements(const QPainterPath &path)
{
    std::vector<Element> result;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        result.push_back({ e.type, QPointF(e.x, e.y) });
    }
    return result;
}

struct SquircleCase
{
    QRectF rect;
    qreal radius;
    qreal clamped;
};

class SquircleTest : public testing::TestWithParam<SquircleCase>
{
};

// Each corner is a curve with both control points on the corner itself; the path ends at its start.
TEST_P(SquircleTest, FollowsTheSoftCornerGeometry)
{
    const auto [rect, radius, r] = GetParam();
    const qreal minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();
    using T = QPainterPath::ElementType;
    const std::vector<Element> expected {
        { T::MoveToElement, { minX + r, minY } },
        { T::LineToElement, { maxX - r, minY } },
        { T::CurveToElement, { maxX, minY } },
        { T::CurveToDataElement, { maxX, minY } },
        { T::CurveToDataElement, { maxX, minY + r } },
        { T::LineToElement, { maxX, maxY - r } },
        { T::CurveToElement, { maxX, maxY } },
        { T::CurveToDataElement, { maxX, maxY } },
        { T::CurveToDataElement, { maxX - r, maxY } },
        { T::LineToElement, { minX + r, maxY } },
        { T::CurveToElement, { minX, maxY } },
        { T::CurveToDataElement, { minX, maxY } },
        { T::CurveToDataElement, { minX, maxY - r } },
        { T::LineToElement, { minX, minY + r } },
        { T::CurveToElement, { minX, minY } },
        { T::CurveToDataElement, { minX, minY } },
        { T::CurveToDataElement, { minX + r, minY } },
    };
    // A painter path drops a segment that would not move the pen: a side shrunk to nothing.
    std::vector<Element> drawn;
    QPointF pen;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const bool isCurve = expected[i].type == T::CurveToElement;
        const std::size_t count = isCurve ? 3 : 1;
        const bool moves = expected[i].type == T::MoveToElement
            || std::any_of(expected.begin() + i, expected.begin() + i + count,
                [&](const Element &e) { return e.point != pen; });
        if (moves) {
            drawn.insert(drawn.end(), expected.begin() + i, expected.begin() + i + count);
            pen = expected[i + count - 1].point;
        }
        i += count - 1;
    }
    const auto actual = elements(PainterPaths::squircle(rect, radius));
    ASSERT_EQ(actual.size(), drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(actual[i].type, drawn[i].type) << i;
        EXPECT_NEAR(actual[i].point.x(), drawn[i].point.x(), 1e-9) << i;
        EXPECT_NEAR(actual[i].point.y(), drawn[i].point.y(), 1e-9) << i;
    }
    EXPECT_EQ(actual.back().point, actual.front().point);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SquircleTest,
    testing::Values(SquircleCase { { 0, 0, 100, 40 }, 50, 20 }, // clamped to half the shorter side
        SquircleCase { { 10, 20, 128, 128 }, 16, 16 },
        SquircleCase { { 14.4, 14.4, 99.2, 99.2 }, 49.6, 49.6 },
        SquircleCase { { 5, 5, 30, 60 }, 0, 0 })); // four lines and four degenerate curves

TEST(PainterPathsTest, TrimmedKeepsThatShareOfTheLength)
{
    QPainterPath line;
    line.moveTo(0, 0);
    line.lineTo(100, 0);
    line.lineTo(100, 100);
    for (const auto &[fraction, length, end] : std::vector<std::tuple<qreal, qreal, QPointF>> {
             { 0.0, 0.0, QPointF() }, { -1.0, 0.0, QPointF() }, { 0.25, 50.0, QPointF(50, 0) },
             { 0.75, 150.0, QPointF(100, 50) }, { 1.02, 200.0, QPointF(100, 100) } }) {
        const QPainterPath part = PainterPaths::trimmed(line, fraction);
        EXPECT_NEAR(part.length(), length, 1e-6) << fraction;
        if (length > 0) {
            EXPECT_EQ(part.currentPosition(), end) << fraction;
        }
    }
}

TEST(ProgressShapeTest, CircleIsAWholeRingFromTheTopClockwise)
{
    const ProgressShape circle = ProgressShape::circle(20, QPointF(64, 64));
    EXPECT_NEAR(circle.path.length(), 2 * std::numbers::pi * 20, 0.5);
    EXPECT_NEAR(circle.bounds().width(), 40, 1e-6);
    // The y axis points up: the ring starts at the top and its first quarter reaches the right.
    const QPainterPath quarter = PainterPaths::trimmed(circle.path, 0.25);
    EXPECT_NEAR(circle.path.pointAtPercent(0).x(), 64, 1e-6);
    EXPECT_NEAR(circle.path.pointAtPercent(0).y(), 84, 1e-6);
    EXPECT_NEAR(quarter.currentPosition().x(), 84, 0.5);
    EXPECT_NEAR(quarter.currentPosition().y(), 64, 0.5);
}

TEST(LayoutShortcutsTest, EdgesFollowTheViewLessTheInsets)
{
    QWidget parent;
    parent.resize(200, 100);
    QWidget child(&parent);
    QWidget sibling(&parent);
    sibling.setGeometry(20, 10, 50, 40);
    QWidget pinnedToSibling(&parent);
    parent.show();
    // Top 1, left 2, bottom 3, right 4.
    const QMargins insets(2, 1, 4, 3);
    LayoutShortcuts::constrainEdges(&child, &parent, insets);
    LayoutShortcuts::constrainEdges(&pinnedToSibling, &sibling, insets);
    EXPECT_EQ(child.geometry(), QRect(2, 1, 200 - 6, 100 - 4));
    EXPECT_EQ(pinnedToSibling.geometry(), QRect(22, 11, 44, 36));

    parent.resize(300, 150);
    sibling.move(0, 0);
    EXPECT_EQ(child.geometry(), QRect(2, 1, 294, 146));
    EXPECT_EQ(pinnedToSibling.geometry(), QRect(2, 1, 44, 36));

    LayoutShortcuts::constrainEdges(&child, &sibling, {});
    parent.resize(100, 100);
    EXPECT_EQ(child.geometry(), sibling.geometry());
}

TEST(LayerHostingViewTest, LayerDecidesWhetherItDrawsAndWhichWayUp)
{
    LayerHostingView view;
    view.resize(20, 20);
    EXPECT_FALSE(view.wantsLayer());
    view.setLayer(
        [&](QPainter &painter, const QRectF &) { painter.fillRect(QRectF(0, 0, 20, 10), Qt::blue); });
    EXPECT_TRUE(view.wantsLayer());
    const QImage drawn = view.grab().toImage();
    // Unflipped: the lower half of the widget is y 0…10.
    EXPECT_EQ(drawn.pixelColor(10, 15), QColor(Qt::blue));
    EXPECT_NE(drawn.pixelColor(10, 5), QColor(Qt::blue));
    view.setLayer({});
    EXPECT_FALSE(view.wantsLayer());
}

} // namespace
