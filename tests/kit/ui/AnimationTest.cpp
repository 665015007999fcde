#include "kit/ui/AnimationGroup.h"
#include "kit/ui/KwView.h"
#include "kit/ui/OnceInWindow.h"
#include "kit/ui/Shake.h"
#include "kit/ui/WindowShow.h"

#include "EventLoop.h"

#include <QPropertyAnimation>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace {

using namespace std::chrono_literals;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

TEST(KwViewTest, PublishesEachFirstOnlyOnce)
{
    QWidget first;
    QWidget second;
    auto *view = new KwView;
    int moved = 0;
    int appeared = 0;
    auto a = view->didMoveToSuperviewPublisher().sink([&](Events::Void) { ++moved; });
    auto b = view->didAppearPublisher().sink([&](Events::Void) { ++appeared; });

    view->setParent(&first);
    first.show();
    view->show();
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(appeared, 1);

    // Removed and added to another window: neither fires again.
    view->setParent(nullptr);
    view->setParent(&second);
    second.show();
    view->show();
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(appeared, 1);
}

TEST(OnceInWindowTest, RunsWhenTheWindowComesOnScreenThenGoes)
{
    QWidget window;
    auto *content = new QWidget(&window);
    int runs = 0;
    runOnceInWindow(content, [&] { ++runs; });
    EXPECT_EQ(runs, 0);
    window.show();
    EXPECT_EQ(runs, 1);
    window.hide();
    window.show();
    EXPECT_EQ(runs, 1);
    processEventsFor(10ms);
    EXPECT_TRUE(content->findChildren<QWidget *>().isEmpty());

    // Already on screen: at once.
    runOnceInWindow(content, [&] { ++runs; });
    EXPECT_EQ(runs, 2);
}

class ShakeTest : public testing::Test
{
protected:
    void TearDown() override { WindowShow::setReduceMotion({}); }

    // Every position the widget takes while it shakes, and where it ends.
    std::set<std::pair<int, int>> shakeAndWatch(QWidget &widget, ShakeDirection direction, qreal amount)
    {
        std::set<std::pair<int, int>> seen;
        shake(&widget, 120ms, direction, amount);
        processEventsUntil(
            [&] {
                seen.insert({ widget.x(), widget.y() });
                const auto animations = widget.findChildren<QPropertyAnimation *>();
                return std::none_of(animations.begin(), animations.end(),
                    [](const QPropertyAnimation *a) { return a->state() == QAbstractAnimation::Running; });
            },
            2s);
        return seen;
    }
};

TEST_F(ShakeTest, MovesAlongOneAxisOnlyAndReturns)
{
    for (const auto &[direction, amount] : std::vector<std::pair<ShakeDirection, qreal>> {
             { ShakeDirection::horizontal, 5 }, { ShakeDirection::vertical, 2 } }) {
        QWidget parent;
        QWidget widget(&parent);
        widget.move(50, 40);
        parent.show();
        const auto seen = shakeAndWatch(widget, direction, amount);
        EXPECT_EQ(widget.pos(), QPoint(50, 40));
        int minOffset = 0;
        int maxOffset = 0;
        for (const auto &[x, y] : seen) {
            const int along = direction == ShakeDirection::horizontal ? x - 50 : y - 40;
            const int across = direction == ShakeDirection::horizontal ? y - 40 : x - 50;
            EXPECT_EQ(across, 0);
            minOffset = std::min(minOffset, along);
            maxOffset = std::max(maxOffset, along);
        }
        EXPECT_EQ(minOffset, -amount);
        // Frames may fall either side of the brief outward peak.
        EXPECT_GT(maxOffset, 0);
        EXPECT_LE(maxOffset, amount);
    }
}

TEST_F(ShakeTest, ASecondShakeStartsFromTheRestingPlace)
{
    QWidget parent;
    QWidget widget(&parent);
    widget.move(10, 10);
    parent.show();
    shake(&widget, 200ms, ShakeDirection::horizontal, 5);
    processEventsFor(30ms);
    shakeAndWatch(widget, ShakeDirection::horizontal, 5);
    EXPECT_EQ(widget.pos(), QPoint(10, 10));
}

TEST_F(ShakeTest, ReducedMotionLeavesTheWidgetAlone)
{
    WindowShow::setReduceMotion([] { return true; });
    QWidget parent;
    QWidget widget(&parent);
    widget.move(10, 10);
    parent.show();
    const auto seen = shakeAndWatch(widget, ShakeDirection::horizontal, 5);
    EXPECT_EQ(seen, (std::set<std::pair<int, int>> { { 10, 10 } }));
}

TEST(AnimationGroupTest, AnimatesTogetherThenCompletes)
{
    QWidget a;
    QWidget b;
    bool completed = false;
    runAnimationGroup(
        50ms, QEasingCurve::Linear,
        [&](AnimationGroup &group) {
            group.animate(&a, "pos", QPoint(30, 0));
            group.animate(&b, "size", QSize(70, 70));
        },
        [&] { completed = true; });
    EXPECT_FALSE(completed);
    ASSERT_TRUE(processEventsUntil([&] { return completed; }));
    EXPECT_EQ(a.pos(), QPoint(30, 0));
    EXPECT_EQ(b.size(), QSize(70, 70));

    bool emptyCompleted = false;
    runAnimationGroup(50ms, QEasingCurve::Linear, {}, [&] { emptyCompleted = true; });
    EXPECT_FALSE(emptyCompleted);
    EXPECT_TRUE(processEventsUntil([&] { return emptyCompleted; }));
}

} // namespace
