#include "kit/ui/AnimationGroup.h"
#include "kit/ui/FadeVisibility.h"
#include "kit/ui/KwCAAnimationDelegate.h"
#include "kit/ui/KwView.h"
#include "kit/ui/OnceInWindow.h"
#include "kit/ui/Shake.h"
#include "kit/ui/WindowShow.h"

#include "EventLoop.h"
#include "FileContents.h"

#include <QGraphicsEffect>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QStandardPaths>
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
    // Made in the first window or put there later; the move to another window fires neither again.
    for (const bool madeInAParent : { false, true }) {
        QWidget first;
        QWidget second;
        auto *view = madeInAParent ? new KwView(&first) : new KwView;
        int moved = 0;
        int appeared = 0;
        auto a = view->didMoveToSuperviewPublisher().sink([&](Events::Void) { ++moved; });
        auto b = view->didAppearPublisher().sink([&](Events::Void) { ++appeared; });
        processEventsFor(10ms);
        EXPECT_EQ(moved, madeInAParent ? 1 : 0) << madeInAParent;
        for (QWidget *window : { &first, &second }) {
            if (view->parentWidget() != window) {
                view->setParent(nullptr);
                view->setParent(window);
            }
            window->show();
            view->show();
            EXPECT_EQ(moved, 1) << madeInAParent;
            EXPECT_EQ(appeared, 1) << madeInAParent;
        }
    }
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

// Every position the widget takes while it shakes.
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

TEST(ShakeTest, MovesAlongOneAxisOnlyAndReturns)
{
    for (const auto &[direction, amount] : std::vector<std::pair<ShakeDirection, qreal>> {
             { ShakeDirection::horizontal, 5 }, { ShakeDirection::vertical, 2 } }) {
        QWidget parent;
        QWidget widget(&parent);
        widget.move(50, 40);
        parent.show();
        const bool horizontal = direction == ShakeDirection::horizontal;
        int minOffset = 0;
        int maxOffset = 0;
        for (const auto &[x, y] : shakeAndWatch(widget, direction, amount)) {
            EXPECT_EQ(horizontal ? y - 40 : x - 50, 0);
            minOffset = std::min(minOffset, horizontal ? x - 50 : y - 40);
            maxOffset = std::max(maxOffset, horizontal ? x - 50 : y - 40);
        }
        EXPECT_EQ(widget.pos(), QPoint(50, 40));
        EXPECT_EQ(minOffset, -amount);
        // Frames may fall either side of the brief outward peak.
        EXPECT_GT(maxOffset, 0);
        EXPECT_LE(maxOffset, amount);
    }
}

TEST(ShakeTest, ASecondShakeStartsFromRestAndReducedMotionStaysStill)
{
    QWidget parent;
    QWidget widget(&parent);
    widget.move(10, 10);
    parent.show();
    shake(&widget, 200ms, ShakeDirection::horizontal, 5);
    processEventsFor(30ms);
    shakeAndWatch(widget, ShakeDirection::horizontal, 5);
    EXPECT_EQ(widget.pos(), QPoint(10, 10));

    WindowShow::setReduceMotion([] { return true; });
    const auto seen = shakeAndWatch(widget, ShakeDirection::horizontal, 5);
    WindowShow::setReduceMotion({});
    EXPECT_EQ(seen, (std::set<std::pair<int, int>> { { 10, 10 } }));
}

TEST(ReducedMotionTest, FadeAndShakeFollowTheDesktopsSettingAsItChanges)
{
    WindowShow::setReduceMotion({});
    const QString kdeglobals = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kdeglobals");
    QFile::remove(kdeglobals);
    QWidget parent;
    QWidget widget(&parent);
    widget.move(10, 10);
    parent.show();

    for (const bool reduced : { false, true, false }) {
        SCOPED_TRACE(reduced ? "reduced" : "full motion");
        if (reduced) {
            TestSupport::writeFile(kdeglobals, "[KDE]\nAnimationDurationFactor=0\n");
        } else {
            QFile::remove(kdeglobals);
        }
        ASSERT_TRUE(processEventsUntil([&] { return WindowShow::reduceMotion() == reduced; }));
        EXPECT_EQ(shakeAndWatch(widget, ShakeDirection::horizontal, 5).size() == 1, reduced);

        QWidget window; // a fade takes its whole duration, a jump only the settling pause
        bool done = false;
        const auto started = std::chrono::steady_clock::now();
        WindowShow::show(&window, { .animated = true, .duration = 800ms }, [&] { done = true; });
        ASSERT_TRUE(processEventsUntil([&] { return done; }, 3s));
        EXPECT_EQ(std::chrono::steady_clock::now() - started >= 700ms, !reduced);
    }
}

TEST(AnimationGroupTest, AnimatesTogetherThenCompletes)
{
    QWidget a;
    QWidget b;
    int completed = 0;
    runAnimationGroup(
        50ms, QEasingCurve::Linear,
        [&](AnimationGroup &group) {
            group.animate(&a, "pos", QPoint(30, 0));
            group.animate(&b, "size", QSize(70, 70));
        },
        [&] { ++completed; });
    // An empty group completes too, and never synchronously.
    runAnimationGroup(50ms, QEasingCurve::Linear, {}, [&] { ++completed; });
    EXPECT_EQ(completed, 0);
    ASSERT_TRUE(processEventsUntil([&] { return completed == 2; }));
    EXPECT_EQ(a.pos(), QPoint(30, 0));
    EXPECT_EQ(b.size(), QSize(70, 70));
}

TEST(KwCAAnimationDelegateTest, TellsStartAndWhetherTheAnimationFinished)
{
    for (const bool runToEnd : { true, false }) {
        QPropertyAnimation animation;
        animation.setStartValue(0.0);
        animation.setEndValue(1.0);
        animation.setDuration(30);
        std::vector<QString> seen;
        KwCAAnimationDelegate *delegate = KwCAAnimationDelegate::attach(&animation);
        delegate->didStartHandler = [&] { seen.push_back("start"); };
        delegate->didStopHandler = [&](bool finished) { seen.push_back(finished ? "finished" : "stopped"); };
        QSignalSpy finished(&animation, &QAbstractAnimation::finished);
        animation.start();
        if (runToEnd) {
            ASSERT_TRUE(finished.wait(2000));
        } else {
            animation.stop();
        }
        EXPECT_EQ(seen, (std::vector<QString> { "start", runToEnd ? "finished" : "stopped" }));
    }
}

TEST(FadeVisibilityTest, HidesShowsOrTogglesAndEndsAtFullOpacity)
{
    QWidget window;
    auto *child = new QWidget(&window);
    window.show();
    for (const auto &[visible, hiddenAfter] : std::vector<std::pair<std::optional<bool>, bool>> {
             { false, true }, { std::nullopt, false }, { std::nullopt, true } }) {
        bool done = false;
        fadeVisibility(child, visible, 30ms, Duration::zero(), [&] { done = true; });
        // The fade runs on the shown widget, whichever way it goes.
        EXPECT_TRUE(child->isVisible());
        EXPECT_NE(child->graphicsEffect(), nullptr);
        ASSERT_TRUE(processEventsUntil([&] { return done; }));
        EXPECT_EQ(child->isHidden(), hiddenAfter);
        EXPECT_EQ(child->graphicsEffect(), nullptr);
    }
}

TEST(FadeVisibilityTest, DelayKeepsAShownWidgetHiddenAndDestructionSkipsTheCompletion)
{
    QWidget window;
    window.show();
    bool done = false;
    fadeVisibility(&window, true, 20ms, 80ms, [&] { done = true; });
    EXPECT_TRUE(window.isHidden());
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    EXPECT_TRUE(window.isVisible());
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);

    auto *doomed = new QWidget();
    bool doomedDone = false;
    fadeVisibility(doomed, true, 10ms, 20ms, [&] { doomedDone = true; });
    delete doomed;
    processEventsFor(80ms);
    EXPECT_FALSE(doomedDone);
}

} // namespace
