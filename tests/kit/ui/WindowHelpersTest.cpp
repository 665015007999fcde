#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/AppearOnScreenView.h"
#include "kit/ui/FadeVisibility.h"
#include "kit/ui/UserInteractionPausableWindow.h"
#include "kit/ui/WindowToggle.h"

#include "EventLoop.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;
using namespace std::chrono_literals;

TEST(FadeVisibilityTest, HidingFadesOutAndEndsHiddenAtFullOpacity)
{
    QWidget window;
    auto *child = new QWidget(&window);
    window.show();
    bool done = false;
    fadeVisibility(child, false, 40ms, Duration::zero(), [&] { done = true; });
    EXPECT_TRUE(child->isVisible());
    ASSERT_NE(child->graphicsEffect(), nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    EXPECT_TRUE(child->isHidden());
    EXPECT_EQ(child->graphicsEffect(), nullptr);
}

TEST(FadeVisibilityTest, NoTargetToggles)
{
    QWidget window;
    auto *child = new QWidget(&window);
    child->hide();
    window.show();
    bool shown = false;
    fadeVisibility(child, std::nullopt, 20ms, Duration::zero(), [&] { shown = true; });
    ASSERT_TRUE(processEventsUntil([&] { return shown; }));
    EXPECT_FALSE(child->isHidden());

    bool hidden = false;
    fadeVisibility(child, std::nullopt, 20ms, Duration::zero(), [&] { hidden = true; });
    ASSERT_TRUE(processEventsUntil([&] { return hidden; }));
    EXPECT_TRUE(child->isHidden());
}

TEST(FadeVisibilityTest, DelayKeepsAShownWidgetHiddenUntilItStarts)
{
    QWidget window;
    window.show();
    bool done = false;
    fadeVisibility(&window, true, 20ms, 80ms, [&] { done = true; });
    EXPECT_TRUE(window.isHidden());
    processEventsFor(30ms);
    EXPECT_TRUE(window.isHidden());
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    EXPECT_TRUE(window.isVisible());
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}

TEST(FadeVisibilityTest, DestroyedWidgetSkipsTheCompletion)
{
    auto *window = new QWidget();
    bool done = false;
    fadeVisibility(window, true, 10ms, 20ms, [&] { done = true; });
    delete window;
    processEventsFor(80ms);
    EXPECT_FALSE(done);
}

class ToggleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FoundationHooks::setActivateApp([this] { ++activations; });
    }
    void TearDown() override
    {
        FoundationHooks::setActivateApp({});
        Activation::setPolicy(ActivationPolicy::accessory);
    }
    int activations = 0;
};

TEST_F(ToggleTest, ShowsAndActivatesThenCloses)
{
    QWidget window;
    toggleWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(activations, 1);
    ASSERT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));
    toggleWindow(&window);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ToggleTest, VisibleWindowThatIsNotActiveComesForward)
{
    Activation::setPolicy(ActivationPolicy::regular);
    QWidget window;
    QWidget other;
    window.show();
    other.show();
    other.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return other.isActiveWindow(); }));
    toggleWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));
    EXPECT_EQ(activations, 0);
}

TEST(UserInteractionPausableWindowTest, PausedWindowDropsClicksAndKeysOnly)
{
    UserInteractionPausableWindow window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new QPushButton(QStringLiteral("Press"));
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QWindow *platform = window.windowHandle();
    const QPoint centre = button->geometry().center();

    QTest::mouseClick(platform, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicks, 1);

    window.setUserInteractionEnabled(false);
    QTest::mouseClick(platform, Qt::LeftButton, {}, centre);
    button->setFocus();
    QTest::keyClick(platform, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);

    window.setUserInteractionEnabled(true);
    QTest::keyClick(platform, Qt::Key_Space);
    EXPECT_EQ(clicks, 2);
}

TEST(UserInteractionPausableWindowTest, WhatCountsAsInteraction)
{
    const QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, {});
    const QMouseEvent drag(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::LeftButton, {});
    const QKeyEvent key(QEvent::KeyPress, Qt::Key_A, {});
    const QEvent enter(QEvent::Enter);
    const QEvent activation(QEvent::WindowActivate);
    EXPECT_FALSE(UserInteractionPausableWindow::isUserInteraction(move));
    EXPECT_TRUE(UserInteractionPausableWindow::isUserInteraction(drag));
    EXPECT_TRUE(UserInteractionPausableWindow::isUserInteraction(key));
    EXPECT_FALSE(UserInteractionPausableWindow::isUserInteraction(enter));
    EXPECT_FALSE(UserInteractionPausableWindow::isUserInteraction(activation));
}

TEST(AppearOnScreenViewTest, FlagThenCallbackOnShowAndHide)
{
    QWidget window;
    auto *view = new AppearOnScreenView(&window);
    bool onScreen = false;
    std::vector<std::string> log;
    view->isOnScreen = Binding<bool> { [&] { return onScreen; },
        [&](const bool &value) {
            onScreen = value;
            log.push_back(value ? "flag on" : "flag off");
        },
        {} };
    view->onViewDidAppear = [&] { log.push_back("appeared"); };
    view->onViewDidDisappear = [&] { log.push_back("disappeared"); };
    window.show();
    EXPECT_TRUE(onScreen);
    window.hide();
    EXPECT_FALSE(onScreen);
    EXPECT_EQ(log, (std::vector<std::string> { "flag on", "appeared", "flag off", "disappeared" }));
}

} // namespace
