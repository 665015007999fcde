#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/SingletonWindowController.h"
#include "kit/ui/WindowShow.h"

#include "EventLoop.h"

#include <QApplication>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

int constructed = 0;

class DebugController : public SingletonWindowController
{
public:
    DebugController()
        : SingletonWindowController(new MenuBarAppWindow())
    {
        ++constructed;
    }
};

class SupportController : public SingletonWindowController
{
public:
    SupportController()
        : SingletonWindowController(new MenuBarAppWindow())
    { }
};

class WindowlessController : public SingletonWindowController
{
public:
    WindowlessController()
        : SingletonWindowController(nullptr)
    { }
};

class WindowControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        constructed = 0;
        FoundationHooks::setActivateApp([this] { ++activations; });
        Activation::setPolicy(ActivationPolicy::accessory);
    }

    void TearDown() override
    {
        FoundationHooks::setActivateApp({});
        Activation::setPolicy(ActivationPolicy::accessory);
        closeAll<DebugController>();
        closeAll<SupportController>();
        delete SingletonWindowController::existing<WindowlessController>();
        processEventsFor(std::chrono::milliseconds(0));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template<typename Controller>
    static void closeAll()
    {
        if (auto *controller = SingletonWindowController::existing<Controller>()) {
            controller->window()->close();
        }
    }

    int activations = 0;
};

TEST_F(WindowControllerTest, ShowTwiceKeepsOneControllerAndOneWindow)
{
    SingletonWindowController::show<DebugController>(false);
    auto *first = SingletonWindowController::existing<DebugController>();
    ASSERT_NE(first, nullptr);
    // The window comes up on a later turn of the event loop.
    EXPECT_FALSE(first->window()->isVisible());
    ASSERT_TRUE(processEventsUntil([&] { return first->window()->isVisible(); }));

    SingletonWindowController::show<DebugController>(false);
    processEventsFor(std::chrono::milliseconds(10));
    EXPECT_EQ(SingletonWindowController::existing<DebugController>(), first);
    EXPECT_EQ(constructed, 1);
    EXPECT_TRUE(first->window()->isVisible());
}

TEST_F(WindowControllerTest, ClosingForgetsOnlyThatKind)
{
    SingletonWindowController::show<DebugController>(false);
    SingletonWindowController::show<SupportController>(false);
    auto *debug = SingletonWindowController::existing<DebugController>();
    auto *support = SingletonWindowController::existing<SupportController>();
    ASSERT_TRUE(
        processEventsUntil([&] { return debug->window()->isVisible() && support->window()->isVisible(); }));

    QPointer<SingletonWindowController> released(debug);
    QPointer<KwWindow> releasedWindow(debug->window());
    debug->window()->close();
    EXPECT_EQ(SingletonWindowController::existing<DebugController>(), nullptr);
    EXPECT_EQ(SingletonWindowController::existing<SupportController>(), support);
    EXPECT_TRUE(support->window()->isVisible());

    // Controller and window go once the close has been handled.
    ASSERT_TRUE(processEventsUntil([&] {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return released.isNull() && releasedWindow.isNull();
    }));

    SingletonWindowController::show<DebugController>(false);
    auto *fresh = SingletonWindowController::existing<DebugController>();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(constructed, 2);
    EXPECT_TRUE(processEventsUntil([&] { return fresh->window()->isVisible(); }));
}

TEST_F(WindowControllerTest, ActivatesOnlyAnAccessoryApplication)
{
    SingletonWindowController::show<DebugController>(false);
    EXPECT_EQ(activations, 1);

    Activation::setPolicy(ActivationPolicy::regular);
    SingletonWindowController::show<DebugController>(false);
    Activation::setPolicy(ActivationPolicy::prohibited);
    SingletonWindowController::show<DebugController>(false);
    EXPECT_EQ(activations, 1);

    Activation::setPolicy(ActivationPolicy::accessory);
    SingletonWindowController::existing<DebugController>()->setShouldActivateWindowWhenAppIsAccessory(false);
    SingletonWindowController::show<DebugController>(false);
    EXPECT_EQ(activations, 1);
}

TEST_F(WindowControllerTest, WindowlessControllerShowsNothingAndStaysRegistered)
{
    SingletonWindowController::show<WindowlessController>(false);
    EXPECT_NE(SingletonWindowController::existing<WindowlessController>(), nullptr);
    EXPECT_EQ(activations, 0);
}

TEST_F(WindowControllerTest, ShowWindowShowsNothingAndADestroyedControllerLeavesTheRegistry)
{
    auto *controller = SingletonWindowController::controller<SupportController>();
    controller->showWindow();
    processEventsFor(std::chrono::milliseconds(10));
    EXPECT_FALSE(controller->window()->isVisible());
    delete controller;
    EXPECT_EQ(SingletonWindowController::existing<SupportController>(), nullptr);
}

class WindowShowTest : public ::testing::Test
{
protected:
    void TearDown() override { WindowShow::setReduceMotion({}); }
};

TEST_F(WindowShowTest, AnimatedShowStartsTransparentAndFadesIn)
{
    MenuBarAppWindow window;
    bool done = false;
    WindowShow::show(
        &window, { .animated = true, .duration = std::chrono::milliseconds(50) }, [&] { done = true; });
    EXPECT_TRUE(window.isVisible());
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
    processEventsFor(std::chrono::milliseconds(50));
    // Still waiting out the settling pause.
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}

TEST_F(WindowShowTest, ReducedMotionJumpsToOpaqueAfterThePause)
{
    WindowShow::setReduceMotion([] { return true; });
    MenuBarAppWindow window;
    bool done = false;
    const auto started = std::chrono::steady_clock::now();
    WindowShow::show(
        &window, { .animated = true, .duration = std::chrono::seconds(10) }, [&] { done = true; });
    ASSERT_TRUE(processEventsUntil([&] { return done; }, std::chrono::seconds(2)));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(90));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}

TEST_F(WindowShowTest, WindowDestroyedDuringTheShowEndsIt)
{
    auto *window = new MenuBarAppWindow();
    bool done = false;
    WindowShow::show(
        window, { .animated = true, .duration = std::chrono::milliseconds(10) }, [&] { done = true; });
    delete window;
    processEventsFor(std::chrono::milliseconds(250));
    EXPECT_FALSE(done);
}

TEST_F(WindowShowTest, PlainShowBringsAMinimisedWindowBack)
{
    MenuBarAppWindow window;
    window.showMinimized();
    WindowShow::show(&window, {});
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

} // namespace
