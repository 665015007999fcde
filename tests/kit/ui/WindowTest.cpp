#include "kit/ui/HostingWindow.h"
#include "kit/ui/KeyCommand.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowResizeObserverView.h"
#include "kit/ui/WindowViewModifier.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Whether the window took the key.
bool press(QWidget &target, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    event.ignore();
    QApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

TEST(WindowLevelTest, LevelsMapToTheirStackingLayerAndTitlebarButtonsHideInPlace)
{
    QWidget shown;
    shown.show();
    QWidget hidden;
    for (const auto &[level, onTop, onBottom] :
        std::vector<std::tuple<WindowLevel, bool, bool>> { { WindowLevel::minimum, false, true },
            { WindowLevel::backstopMenu, false, true }, { WindowLevel::normal, false, false },
            { WindowLevel::floating, true, false }, { WindowLevel::maximum, true, false } }) {
        for (QWidget *window : { &shown, &hidden }) {
            setWindowLevel(window, level);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop) << int(level);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnBottomHint), onBottom) << int(level);
            EXPECT_EQ(windowLevel(window), level);
        }
        // Changing flags hides a window; the level must not change whether it is shown.
        EXPECT_TRUE(shown.isVisible());
        EXPECT_FALSE(hidden.isVisible());
    }
    setWindowLevel(nullptr, WindowLevel::floating);

    // The titlebar's buttons go and come back with the window left in place.
    EXPECT_TRUE(titlebarButtonsVisible(&shown));
    setTitlebarButtonsVisible(&shown, false);
    EXPECT_FALSE(titlebarButtonsVisible(&shown));
    EXPECT_FALSE(shown.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(shown.isVisible());
    const Qt::WindowFlags withoutButtons = shown.windowFlags();
    setTitlebarButtonsVisible(&shown, false);
    EXPECT_EQ(shown.windowFlags(), withoutButtons);
    setTitlebarButtonsVisible(&shown, true);
    EXPECT_TRUE(shown.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST(WindowViewModifierTest, ReportsNoWindowFirstThenTheOneThatAppearsLaterEachTimeItIsShown)
{
    auto *content = new QLabel(QStringLiteral("content"));
    std::vector<QWidget *> reported;
    const WindowViewModifier *modifier
        = WindowViewModifier::apply(content, [&](QWidget *window) { reported.push_back(window); });
    EXPECT_EQ(reported, std::vector<QWidget *> { nullptr });
    auto *levelled = new QLabel(QStringLiteral("settings"));
    applyWindowLevel(levelled, WindowLevel::floating);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(content);
    layout->addWidget(levelled);
    EXPECT_EQ(windowLevel(&window), WindowLevel::normal);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(reported.back(), &window);
    EXPECT_EQ(modifier->window(), &window);
    EXPECT_EQ(windowLevel(&window), WindowLevel::floating);
    EXPECT_TRUE(window.isVisible());
    // Shown again, it is reported again.
    const std::size_t reports = reported.size();
    window.hide();
    window.show();
    EXPECT_GT(reported.size(), reports);
    EXPECT_EQ(reported.back(), &window);
}

TEST(WindowResizeObserverViewTest, ReportsResizesOfTheWindowItIsIn)
{
    QWidget first;
    QWidget second;
    auto *observer = new WindowResizeObserverView(&first);
    int resizes = 0;
    observer->onResize = [&] { ++resizes; };
    first.resize(200, 100);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
    const int afterShow = resizes;
    first.resize(300, 150);
    EXPECT_GT(resizes, afterShow);
    observer->setParent(&second);
    const int beforeMove = resizes;
    first.resize(320, 160);
    EXPECT_EQ(resizes, beforeMove);
    second.resize(50, 50);
    second.show();
    EXPECT_GT(resizes, beforeMove);
}

TEST(KeyCommandTest, ModifiersMustMatchExactlyButTheKeypadDoesNotCount)
{
    const Qt::KeyboardModifiers control = Qt::ControlModifier;
    for (const auto &[modifiers, wanted, matches] :
        std::vector<std::tuple<Qt::KeyboardModifiers, Qt::KeyboardModifiers, bool>> {
            { control, control, true }, { control | Qt::KeypadModifier, control, true },
            { control | Qt::ShiftModifier, control, false }, { control | Qt::AltModifier, control, false },
            { Qt::MetaModifier, control, false }, { Qt::NoModifier, control, false },
            { control | Qt::ShiftModifier, control | Qt::ShiftModifier, true } }) {
        EXPECT_EQ(KeyCommand::matches(QKeyEvent(QEvent::KeyPress, Qt::Key_W, modifiers), Qt::Key_W, wanted),
            matches)
            << modifiers.toInt() << ' ' << wanted.toInt();
    }
    EXPECT_FALSE(KeyCommand::matches(QKeyEvent(QEvent::KeyRelease, Qt::Key_W, control), Qt::Key_W, control));
    EXPECT_FALSE(KeyCommand::matches(QKeyEvent(QEvent::KeyPress, Qt::Key_M, control), Qt::Key_W, control));
}

// Whether exactly is the key command's own concern; here, which keys each kind of window acts on.
TEST(MenuBarAppWindowTest, StandardKeysCloseOrMinimiseAndFramesStayBelowThePanels)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    for (const auto &[panel, closeOnEscape, key, modifiers, closes, minimises] :
        std::vector<std::tuple<bool, bool, int, Qt::KeyboardModifiers, bool, bool>> {
            { false, false, Qt::Key_W, Qt::ControlModifier, true, false },
            { false, false, Qt::Key_M, Qt::ControlModifier, false, true },
            { false, false, Qt::Key_Escape, none, false, false },
            { false, true, Qt::Key_Escape, none, true, false },
            { true, false, Qt::Key_Escape, none, true, false },
            { true, false, Qt::Key_W, Qt::ControlModifier, true, false } }) {
        std::unique_ptr<MenuBarAppWindowBase> window;
        if (panel) {
            window = std::make_unique<MenuBarAppPanel>();
        } else {
            auto plain = std::make_unique<MenuBarAppWindow>();
            plain->setShouldCloseOnEscapePress(closeOnEscape);
            window = std::move(plain);
        }
        window->show();
        QSignalSpy closing(window.get(), &KwWindow::willClose);
        SCOPED_TRACE(testing::Message() << panel << ' ' << key << ' ' << modifiers.toInt());
        const bool taken = press(*window, key, modifiers);
        EXPECT_EQ(window->isVisible(), !closes);
        EXPECT_EQ(closing.count(), closes ? 1 : 0);
        EXPECT_EQ(window->windowState().testFlag(Qt::WindowMinimized), minimises);
        if (key == Qt::Key_Escape && modifiers == none) {
            EXPECT_TRUE(taken); // consumed even when it does not close
        }
    }

    MenuBarAppWindow window;
    auto *child = new QLabel(QStringLiteral("text"), &window);
    child->setFocusPolicy(Qt::StrongFocus);
    window.show();
    press(*child, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());

    // Only a window allowed above the panels may cover them.
    const QRect available(0, 32, 1440, 868);
    EXPECT_EQ(window.constrainFrameRect(QRect(100, -10, 400, 300), available), QRect(100, 32, 400, 300));
    EXPECT_EQ(window.constrainFrameRect(QRect(100, 40, 400, 300), available), QRect(100, 40, 400, 300));
    window.setAllowedAboveMenuBar(true);
    EXPECT_EQ(window.constrainFrameRect(QRect(100, -10, 400, 300), available), QRect(100, -10, 400, 300));
}

TEST(HostingWindowTest, ConstrainsFramesToTheScreen)
{
    const QRect screen(0, 0, 1440, 900);
    // The same cases on a second screen right of the first, and one above and left of it, come
    // out the same on that screen.
    for (const QPoint origin : { QPoint(0, 0), QPoint(1920, 0), QPoint(-1440, -900) }) {
        SCOPED_TRACE(testing::Message() << "screen at " << origin.x() << ", " << origin.y());
        for (const auto &[proposed, constrained] :
            std::vector<std::pair<QRect, QRect>> { { { 100, 100, 3000, 2000 }, { 0, 0, 1440, 900 } },
                { { 1200, 50, 400, 300 }, { 1040, 50, 400, 300 } },
                { { -30, -40, 400, 300 }, { 0, 0, 400, 300 } },
                { { 100, 800, 400, 300 }, { 100, 600, 400, 300 } },
                { { 10, 20, 400, 300 }, { 10, 20, 400, 300 } } }) {
            EXPECT_EQ(HostingWindow::constrainedFrame(proposed.translated(origin), screen.translated(origin)),
                constrained.translated(origin));
        }
    }
    // With a title bar of 30 and borders of 4, the frame is what must fit.
    const QMargins frame(4, 30, 4, 4);
    for (const auto &[client, constrained] :
        std::vector<std::pair<QRect, QRect>> { { { 100, 10, 400, 300 }, { 100, 30, 400, 300 } },
            { { 1200, 800, 400, 300 }, { 1036, 596, 400, 300 } },
            { { 0, 0, 3000, 2000 }, { 4, 30, 1432, 866 } },
            { { 10, 40, 400, 300 }, { 10, 40, 400, 300 } } }) {
        EXPECT_EQ(HostingWindow::constrainedGeometry(client, frame, screen), constrained);
    }
    HostingWindow window(new QLabel(QStringLiteral("content")), { .constrainWindowToScreen = true });
    window.show();
    const QSize own = window.screen()->geometry().size();
    window.setGeometry(own.width() - 50, 0, 200, 100);
    EXPECT_EQ(window.size(), QSize(200, 100));
    EXPECT_EQ(window.frameGeometry().right(), own.width() - 1);
    EXPECT_EQ(window.frameGeometry().top(), 0);
}

TEST(HostingWindowTest, EscapeClosesOnlyWhenAskedAndClosingReleasesTheContent)
{
    HostingWindow ignoring(new QLabel(QStringLiteral("content")), {});
    ignoring.show();
    press(ignoring, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_TRUE(ignoring.isVisible());
    EXPECT_FALSE(ignoring.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    auto *content = new QLabel(QStringLiteral("content"));
    QPointer<QLabel> guarded(content);
    HostingWindow window(content, { .canBecomeKey = false, .closeOnEscape = true });
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    window.show();
    EXPECT_EQ(window.content(), content);
    press(window, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(window.isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guarded.isNull());
    EXPECT_EQ(window.content(), nullptr);
}

} // namespace
