#include "kit/ui/HostingWindow.h"
#include "kit/ui/KeyCommand.h"
#include "kit/ui/MenuBarAppWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

void press(QWidget &window, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&window, &event);
}

TEST(KeyCommandTest, ModifiersMustMatchExactly)
{
    const QKeyEvent controlW(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier | Qt::KeypadModifier);
    const QKeyEvent shifted(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    const QKeyEvent alt(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    const QKeyEvent bare(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier);
    const QKeyEvent release(QEvent::KeyRelease, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(KeyCommand::matches(controlW, Qt::Key_W, Qt::ControlModifier));
    EXPECT_TRUE(KeyCommand::matches(keypad, Qt::Key_W, Qt::ControlModifier));
    EXPECT_FALSE(KeyCommand::matches(shifted, Qt::Key_W, Qt::ControlModifier));
    EXPECT_FALSE(KeyCommand::matches(alt, Qt::Key_W, Qt::ControlModifier));
    EXPECT_FALSE(KeyCommand::matches(bare, Qt::Key_W, Qt::ControlModifier));
    EXPECT_FALSE(KeyCommand::matches(release, Qt::Key_W, Qt::ControlModifier));
    EXPECT_FALSE(KeyCommand::matches(controlW, Qt::Key_M, Qt::ControlModifier));
    EXPECT_TRUE(KeyCommand::matches(shifted, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier));
}

TEST(MenuBarWindowKeyTest, ControlWClosesAndControlMMinimisesWithNoOtherModifier)
{
    struct Case
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool closes;
        bool minimises;
    };
    for (const Case &c : { Case { Qt::Key_W, Qt::ControlModifier | Qt::KeypadModifier, true, false },
             Case { Qt::Key_M, Qt::ControlModifier, false, true },
             Case { Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, false, false },
             Case { Qt::Key_M, Qt::ControlModifier | Qt::AltModifier, false, false },
             Case { Qt::Key_W, Qt::MetaModifier, false, false } }) {
        MenuBarAppWindow window;
        window.show();
        QSignalSpy closing(&window, &KwWindow::willClose);
        press(window, c.key, c.modifiers);
        EXPECT_EQ(window.isVisible(), !c.closes) << c.key << ' ' << c.modifiers.toInt();
        EXPECT_EQ(closing.count(), c.closes ? 1 : 0);
        EXPECT_EQ(window.windowState().testFlag(Qt::WindowMinimized), c.minimises) << c.key;
    }
}

TEST(MenuBarWindowKeyTest, EscapeClosesOnlyWhenAsked)
{
    MenuBarAppWindow window;
    window.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    escape.ignore();
    QApplication::sendEvent(&window, &escape);
    EXPECT_TRUE(window.isVisible());
    // Consumed all the same.
    EXPECT_TRUE(escape.isAccepted());

    window.setShouldCloseOnEscapePress(true);
    press(window, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_TRUE(window.isVisible());
    press(window, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(window.isVisible());
}

TEST(MenuBarWindowKeyTest, PanelClosesOnEscapeAndKeepsTheCommands)
{
    MenuBarAppPanel panel;
    panel.show();
    press(panel, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(panel.isVisible());
    panel.show();
    press(panel, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(panel.isVisible());
}

TEST(MenuBarWindowKeyTest, KeyFromAFocusedChildReachesTheWindow)
{
    MenuBarAppWindow window;
    auto *child = new QLabel(QStringLiteral("text"), &window);
    child->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QKeyEvent event(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
    QApplication::sendEvent(child, &event);
    EXPECT_FALSE(window.isVisible());
}

TEST(HostingWindowTest, ConstrainsFramesToTheScreen)
{
    const QSize screen(1440, 900);
    EXPECT_EQ(HostingWindow::constrainedFrame(QRect(100, 100, 3000, 2000), screen), QRect(0, 0, 1440, 900));
    EXPECT_EQ(HostingWindow::constrainedFrame(QRect(1200, 50, 400, 300), screen), QRect(1040, 50, 400, 300));
    EXPECT_EQ(HostingWindow::constrainedFrame(QRect(-30, -40, 400, 300), screen), QRect(0, 0, 400, 300));
    EXPECT_EQ(HostingWindow::constrainedFrame(QRect(100, 800, 400, 300), screen), QRect(100, 600, 400, 300));
    EXPECT_EQ(HostingWindow::constrainedFrame(QRect(10, 20, 400, 300), screen), QRect(10, 20, 400, 300));
}

TEST(HostingWindowTest, ConstrainedWindowStaysOnItsScreen)
{
    HostingWindow window(new QLabel(QStringLiteral("content")), { .constrainWindowToScreen = true });
    window.show();
    const QSize screen = window.screen()->geometry().size();
    window.setGeometry(screen.width() - 50, 10, 200, 100);
    EXPECT_EQ(window.geometry(), QRect(screen.width() - 200, 10, 200, 100));
}

TEST(HostingWindowTest, ClosingReleasesTheContent)
{
    auto *content = new QLabel(QStringLiteral("content"));
    QPointer<QLabel> guarded(content);
    HostingWindow ignoring(new QLabel(QStringLiteral("content")), {});
    ignoring.show();
    press(ignoring, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_TRUE(ignoring.isVisible());

    HostingWindow window(content, { .closeOnEscape = true });
    window.show();
    EXPECT_EQ(window.content(), content);
    press(window, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(window.isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guarded.isNull());
    EXPECT_EQ(window.content(), nullptr);
}

TEST(HostingWindowTest, WindowThatCannotBecomeKeyDoesNotTakeFocus)
{
    HostingWindow window(new QLabel(QStringLiteral("content")), { .canBecomeKey = false });
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    HostingWindow keyable(new QLabel(QStringLiteral("content")), {});
    EXPECT_FALSE(keyable.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
}

} // namespace
