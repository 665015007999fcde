#include "DesktopTest.h"
#include "EventLoop.h"
#include "XInput.h"

#include "kit/services/KwApp.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

// What the program does when a menu command needs its attention: the user's click on the item
// is the last input it had, as in a tray menu.
void activateFromAMenuItem()
{
    QMenu menu;
    QAction *item = menu.addAction(QStringLiteral("Show"));
    QObject::connect(item, &QAction::triggered, [] { KwApp::activate(); });
    menu.popup(QPoint(300, 300));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); }));
    TestSupport::processEventsFor(50ms);
    const QPoint centre = menu.mapToGlobal(menu.actionGeometry(item).center());
    TestSupport::xdotool({ QStringLiteral("mousemove"), QString::number(centre.x()),
        QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1") });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !menu.isVisible(); }));
}

TEST(BringingForwardTest, ActivatingTheApplicationFocusesItsTopmostWindow)
{
    KwApp::installFoundationHooks();
    // Steps on windows 0 to 2, window 1 being a dialog: s shows, f focuses, h hides, m shows modal,
    // n shows as a window that takes no focus (a tray icon's).
    const std::tuple<const char *, QString, int> cases[] = {
        { "nothing shown any more", "s0 f0 h0", -1 },
        { "the newest of windows never focused", "s0 s1", 1 },
        { "the newest of those that take the focus", "s0 n2", 0 },
        { "the one focused last, though another came later", "s0 s1 f0 s2", 0 },
        { "one focused last but hidden since gives way", "s0 s1 f1 h1", 0 },
        { "a modal dialog before all", "s0 f0 m1", 1 },
    };
    // Another program's window, which takes the keyboard focus from ours as a user's click would.
    const QString otherTitle = QStringLiteral("tapewick-other-application");
    QProcess other;
    other.setStandardInputFile(QProcess::nullDevice());
    other.start(QStringLiteral("xmessage"), { QStringLiteral("-title"), otherTitle, otherTitle });
    for (const auto &[name, steps, expected] : cases) {
        SCOPED_TRACE(name);
        std::vector<std::unique_ptr<QWidget>> windows;
        for (int index = 0; index < 3; ++index) {
            windows.push_back(index == 1 ? std::make_unique<QDialog>() : std::make_unique<QWidget>());
            windows.back()->resize(200, 100);
        }
        for (const QString &step : steps.split(u' ')) {
            QWidget &window = *windows[step[1].digitValue()];
            if (step[0] == u'm') {
                window.setWindowModality(Qt::ApplicationModal);
            } else if (step[0] == u'n') {
                window.setWindowFlags(window.windowFlags() | Qt::FramelessWindowHint
                    | Qt::BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus);
            }
            if (step[0] == u'h') {
                window.hide();
            } else if (step[0] == u'f') {
                window.activateWindow();
                ASSERT_TRUE(TestSupport::processEventsUntil(
                    [&] { return QGuiApplication::focusWindow() == window.windowHandle(); }));
            } else {
                window.show();
            }
            TestSupport::processEventsFor(20ms);
        }
        TestSupport::xdotool({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
            QStringLiteral("^%1$").arg(otherTitle), QStringLiteral("windowfocus"),
            QStringLiteral("--sync") });
        ASSERT_TRUE(TestSupport::processEventsUntil([] { return !QGuiApplication::focusWindow(); }))
            << "the other application did not take the focus";

        activateFromAMenuItem();
        const QWindow *focused = expected < 0 ? nullptr : windows[expected]->windowHandle();
        TestSupport::processEventsUntil([&] { return QGuiApplication::focusWindow() == focused; });
        TestSupport::processEventsFor(100ms);
        EXPECT_EQ(QGuiApplication::focusWindow(), focused);
    }
    other.kill();
    other.waitForFinished();
}

} // namespace
