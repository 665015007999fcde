#include "kit/ui/ViewModifiers.h"
#include "kit/foundation/errors/CancellationError.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/ui/EitherShape.h"

#include "EventLoop.h"

#include <QCoro/QCoroTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stop_token>

namespace {

using namespace std::chrono_literals;
using namespace ViewModifiers;

TEST(ViewModifiersTest, BackgroundAndConditionalModifiers)
{
    QLabel plain;
    QLabel label;
    backgroundColor(&label, std::nullopt);
    EXPECT_EQ(label.palette(), plain.palette());
    EXPECT_EQ(label.autoFillBackground(), plain.autoFillBackground());
    backgroundColor(&label, QColor(Qt::yellow));
    EXPECT_EQ(label.grab().toImage().pixelColor(1, 1), QColor(Qt::yellow));

    auto bold = [](QLabel *l) { l->setText(QStringLiteral("bold")); };
    auto thin = [](QLabel *l) { l->setText(QStringLiteral("thin")); };
    EXPECT_EQ(conditionalModifier(&label, true, bold)->text(), QStringLiteral("bold"));
    EXPECT_EQ(conditionalModifier(&label, true, bold, thin)->text(), QStringLiteral("bold"));
    EXPECT_EQ(conditionalModifier(&label, false, bold, thin)->text(), QStringLiteral("thin"));
    EXPECT_EQ(conditionalModifier(&label, false, bold)->text(), QStringLiteral("thin"));
}

TEST(ViewModifiersTest, TaskFailuresLandInTheBindingExceptCancellations)
{
    ErrorPtr error;
    QWidget view;
    int runs = 0;
    std::function<QCoro::Task<>()> next;
    taskOrAssign(&view, Binding<ErrorPtr>::over(error), [&](std::stop_token) -> QCoro::Task<> {
        ++runs;
        co_await next();
    });

    next = []() -> QCoro::Task<> {
        co_await QCoro::sleepFor(5ms);
        throw CancellationError();
    };
    view.show();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return runs == 1; }));
    TestSupport::processEventsFor(30ms);
    EXPECT_FALSE(error);

    next = []() -> QCoro::Task<> {
        co_await QCoro::sleepFor(5ms);
        throw GeneralError(QStringLiteral("Export failed"));
    };
    // Gone from the screen before it failed: as good as cancelled.
    view.hide();
    view.show();
    view.hide();
    TestSupport::processEventsFor(30ms);
    EXPECT_FALSE(error);
    view.show();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return error != nullptr; }));
    EXPECT_EQ(error->localizedDescription(), QStringLiteral("Export failed"));

    // A later success leaves the error there.
    next = []() -> QCoro::Task<> { co_return; };
    view.hide();
    view.show();
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(error->localizedDescription(), QStringLiteral("Export failed"));
}

// Leaving the screen, or going altogether, cancels the run: it is told to stop, and what it
// fails with then stays out of the binding.
TEST(ViewModifiersTest, TaskIsCancelledWhenTheViewGoes)
{
    const std::pair<const char *, std::function<void(std::unique_ptr<QWidget> &)>> ways[] = {
        { "hidden", [](std::unique_ptr<QWidget> &view) { view->hide(); } },
        { "destroyed", [](std::unique_ptr<QWidget> &view) { view.reset(); } },
    };
    for (const auto &[way, go] : ways) {
        SCOPED_TRACE(way);
        ErrorPtr error;
        auto view = std::make_unique<QWidget>();
        auto stopped = std::make_shared<int>(0);
        taskOrAssign(
            view.get(), Binding<ErrorPtr>::over(error), [stopped](std::stop_token stop) -> QCoro::Task<> {
                while (!stop.stop_requested()) {
                    co_await QCoro::sleepFor(1ms);
                }
                ++*stopped;
                throw GeneralError(QStringLiteral("Interrupted"));
            });
        view->show();
        TestSupport::processEventsFor(20ms);
        EXPECT_EQ(*stopped, 0);
        go(view);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *stopped == 1; }, 500ms));
        EXPECT_FALSE(error);
    }
}

TEST(ViewModifiersTest, ReverseMaskPunchesOutTheMask)
{
    const QRectF bounds(0, 0, 100, 50);
    EXPECT_EQ(reverseMask(bounds, QPainterPath()).boundingRect(), bounds);
    QPainterPath all;
    all.addRect(bounds.adjusted(-1, -1, 1, 1));
    EXPECT_TRUE(reverseMask(bounds, all).isEmpty());
    QPainterPath hole;
    hole.addEllipse(QPointF(50, 25), 10, 10);
    const QPainterPath punched = reverseMask(bounds, hole);
    EXPECT_FALSE(punched.contains(QPointF(50, 25)));
    EXPECT_TRUE(punched.contains(QPointF(5, 5)));

    QWidget widget;
    widget.resize(100, 50);
    applyReverseMask(&widget, hole);
    EXPECT_FALSE(widget.mask().contains(QPoint(50, 25)));
    EXPECT_TRUE(widget.mask().contains(QPoint(5, 5)));
}

TEST(EitherShapeTest, FlagPicksTheShapeAndInsetReachesBoth)
{
    const QRectF rect(0, 0, 40, 40);
    EitherShape<CircleShape, RectangleShape> shape { false, {}, {} };
    EXPECT_EQ(shape.path(rect).boundingRect(), rect);
    shape.toggle = true;
    EXPECT_FALSE(shape.path(rect).contains(QPointF(1, 1)));

    auto inset = shape.inset(5);
    EXPECT_EQ(inset.path(rect).boundingRect(), QRectF(5, 5, 30, 30));
    inset.toggle = false;
    EXPECT_EQ(inset.path(rect).boundingRect(), QRectF(5, 5, 30, 30));
}

} // namespace
