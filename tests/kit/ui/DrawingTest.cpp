#include "kit/ui/LayerHostingView.h"
#include "kit/ui/LayoutShortcuts.h"
#include "kit/ui/PainterPaths.h"
#include "kit/ui/ProgressShape.h"

#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <numbers>

namespace {

// Each corner is a curve with both control points on the corner itself; the path ends at its start.
TEST(PainterPathsTest, SquircleFollowsTheSoftCornerGeometry)
{
    for (const auto &[rect, radius, r] : std::vector<std::tuple<QRectF, qreal, qreal>> {
             { { 0, 0, 100, 40 }, 50, 20 }, // clamped to half the shorter side
             { { 10, 20, 128, 128 }, 16, 16 }, { { 14.4, 14.4, 99.2, 99.2 }, 49.6, 49.6 },
             { { 5, 5, 30, 60 }, 0, 0 } }) { // four lines and four degenerate curves
        const QPointF x(r, 0), y(0, r);
        const QPointF topLeft = rect.topLeft(), topRight = rect.topRight();
        const QPointF bottomLeft = rect.bottomLeft(), bottomRight = rect.bottomRight();
        // A painter path drops a segment that would not move the pen, as where a side shrinks to nothing.
        QPainterPath expected(topLeft + x);
        expected.lineTo(topRight - x);
        expected.cubicTo(topRight, topRight, topRight + y);
        expected.lineTo(bottomRight - y);
        expected.cubicTo(bottomRight, bottomRight, bottomRight - x);
        expected.lineTo(bottomLeft + x);
        expected.cubicTo(bottomLeft, bottomLeft, bottomLeft - y);
        expected.lineTo(topLeft + y);
        expected.cubicTo(topLeft, topLeft, topLeft + x);
        const QPainterPath actual = PainterPaths::squircle(rect, radius);
        EXPECT_EQ(actual, expected) << radius;
        EXPECT_EQ(actual.elementCount(), expected.elementCount()) << radius;
    }
}

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
