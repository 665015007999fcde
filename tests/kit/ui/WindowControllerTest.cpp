#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/AppearOnScreenView.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/SingletonWindowController.h"
#include "kit/ui/UserInteractionPausableWindow.h"
#include "kit/ui/WindowShow.h"
#include "kit/ui/WindowToggle.h"

#include "EventLoop.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

using namespace std::chrono_literals;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

int constructed = 0;

// A kind of controller per tag; the windowless kind has no window at all.
template<int Tag, bool HasWindow = true>
class Controller : public SingletonWindowController
{
public:
    Controller()
        : SingletonWindowController(HasWindow ? new MenuBarAppWindow() : nullptr)
    {
        constructed += Tag == 0 ? 1 : 0;
    }
};
using DebugController = Controller<0>;
using SupportController = Controller<1>;
using WindowlessController = Controller<2, false>;

// Counts the application's activations and leaves no controller, policy or motion setting behind.
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
        WindowShow::setReduceMotion({});
        closeAll<DebugController>();
        closeAll<SupportController>();
        delete SingletonWindowController::existing<WindowlessController>();
        processEventsFor(0ms);
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

using WindowShowTest = WindowControllerTest;
using WindowToggleTest = WindowControllerTest;

TEST_F(WindowControllerTest, OneControllerPerKindUntilItsWindowCloses)
{
    SingletonWindowController::show<DebugController>(false);
    auto *debug = SingletonWindowController::existing<DebugController>();
    ASSERT_NE(debug, nullptr);
    // The window comes up on a later turn of the event loop.
    EXPECT_FALSE(debug->window()->isVisible());
    ASSERT_TRUE(processEventsUntil([&] { return debug->window()->isVisible(); }));
    SingletonWindowController::show<DebugController>(false);
    SingletonWindowController::show<SupportController>(false);
    auto *support = SingletonWindowController::existing<SupportController>();
    ASSERT_TRUE(processEventsUntil([&] { return support->window()->isVisible(); }));
    EXPECT_EQ(SingletonWindowController::existing<DebugController>(), debug);
    EXPECT_EQ(constructed, 1);
    EXPECT_TRUE(debug->window()->isVisible());

    // Closing forgets only that kind; controller and window go once the close has been handled.
    QPointer<SingletonWindowController> released(debug);
    QPointer<KwWindow> releasedWindow(debug->window());
    debug->window()->close();
    EXPECT_EQ(SingletonWindowController::existing<DebugController>(), nullptr);
    EXPECT_EQ(SingletonWindowController::existing<SupportController>(), support);
    EXPECT_TRUE(support->window()->isVisible());
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

TEST_F(WindowControllerTest, WindowlessOrPlainShowShowsNothingAndDestroyedLeavesTheRegistry)
{
    SingletonWindowController::show<WindowlessController>(false);
    EXPECT_NE(SingletonWindowController::existing<WindowlessController>(), nullptr);
    EXPECT_EQ(activations, 0);

    auto *controller = SingletonWindowController::controller<SupportController>();
    controller->showWindow();
    processEventsFor(10ms);
    EXPECT_FALSE(controller->window()->isVisible());
    delete controller;
    EXPECT_EQ(SingletonWindowController::existing<SupportController>(), nullptr);
}

// Widgets cannot outlive the application: the end of its event loop deletes every controller and
// window, the shown ones, one closed a moment before and a windowless one alike. Runs in a process
// of its own, whose loop ends.
TEST(WindowControllerDeathTest, TheEndOfTheEventLoopDeletesEveryControllerAndWindow)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto quit = [] {
        SingletonWindowController::show<DebugController>(false);
        SingletonWindowController::show<SupportController>(false);
        SingletonWindowController::show<WindowlessController>(false);
        auto *closing = SingletonWindowController::existing<SupportController>();
        const std::pair<const char *, QPointer<QObject>> watched[] = {
            { "debug", SingletonWindowController::existing<DebugController>() },
            { "debug window", SingletonWindowController::existing<DebugController>()->window() },
            { "closed", closing },
            { "closed window", closing->window() },
            { "windowless", SingletonWindowController::existing<WindowlessController>() },
        };
        QTimer::singleShot(0, [closing] {
            closing->window()->close();
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
        std::string left;
        for (const auto &[name, object] : watched) {
            left += object ? std::string(" ") + name : std::string();
        }
        std::fprintf(stderr, "controllers left:%s\n", left.c_str());
        std::fflush(stderr);
        std::_Exit(SingletonWindowController::existing<DebugController>() ? 1 : 0);
    };
    EXPECT_EXIT(quit(), ::testing::ExitedWithCode(0), "controllers left:\n$");
}

TEST_F(WindowShowTest, AnimatedShowFadesInOrJumpsWithReducedMotionAndEndsWithItsWindow)
{
    MenuBarAppWindow window;
    bool done = false;
    WindowShow::show(&window, { .animated = true, .duration = 50ms }, [&] { done = true; });
    EXPECT_TRUE(window.isVisible());
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);

    // Reduced motion jumps to opaque after the settling pause, however long the fade would be.
    WindowShow::setReduceMotion([] { return true; });
    MenuBarAppWindow reduced;
    bool reducedDone = false;
    const auto started = std::chrono::steady_clock::now();
    WindowShow::show(&reduced, { .animated = true, .duration = 10s }, [&] { reducedDone = true; });
    ASSERT_TRUE(processEventsUntil([&] { return reducedDone; }, 2s));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 90ms);
    EXPECT_DOUBLE_EQ(reduced.windowOpacity(), 1.0);

    // A window destroyed on the way ends the show; a plain show brings a minimised window back.
    WindowShow::setReduceMotion({});
    auto *doomed = new MenuBarAppWindow();
    bool doomedDone = false;
    WindowShow::show(doomed, { .animated = true, .duration = 10ms }, [&] { doomedDone = true; });
    delete doomed;
    processEventsFor(250ms);
    EXPECT_FALSE(doomedDone);

    MenuBarAppWindow minimised;
    minimised.showMinimized();
    WindowShow::show(&minimised, {});
    EXPECT_TRUE(minimised.isVisible());
    EXPECT_FALSE(minimised.isMinimized());
}

TEST_F(WindowToggleTest, ShowsAndActivatesClosesOrBringsForwardAWindowThatIsNotActive)
{
    QWidget window;
    toggleWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(activations, 1);
    ASSERT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));
    toggleWindow(&window);
    EXPECT_FALSE(window.isVisible());

    Activation::setPolicy(ActivationPolicy::regular);
    QWidget other;
    window.show();
    other.show();
    other.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return other.isActiveWindow(); }));
    toggleWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));
    EXPECT_EQ(activations, 1);
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

    // A pointer passing over is no interaction; dragging is.
    const QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, {});
    const QMouseEvent drag(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::LeftButton, {});
    EXPECT_FALSE(UserInteractionPausableWindow::isUserInteraction(move));
    EXPECT_TRUE(UserInteractionPausableWindow::isUserInteraction(drag));
    EXPECT_FALSE(UserInteractionPausableWindow::isUserInteraction(QEvent(QEvent::WindowActivate)));
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
    window.hide();
    EXPECT_EQ(log, (std::vector<std::string> { "flag on", "appeared", "flag off", "disappeared" }));
}

} // namespace
