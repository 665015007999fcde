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

const QString otherTitle = QStringLiteral("tapewick-other-application");

// Another program's window, which takes the keyboard focus from ours as a user's click would.
class OtherApplication
{
public:
    OtherApplication()
    {
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("xmessage"), { QStringLiteral("-title"), otherTitle, otherTitle });
    }
    ~OtherApplication()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    void takeFocus()
    {
        TestSupport::xdotool({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
            QStringLiteral("^%1$").arg(otherTitle), QStringLiteral("windowfocus"),
            QStringLiteral("--sync") });
        ASSERT_TRUE(TestSupport::processEventsUntil([] { return !QGuiApplication::focusWindow(); }))
            << "the other application did not take the focus";
    }

private:
    QProcess m_process;
};

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

void activateAndWait(QWidget &window)
{
    window.activateWindow();
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] { return QGuiApplication::focusWindow() == window.windowHandle(); }));
}

TEST(BringingForwardTest, ActivatingTheApplicationFocusesItsTopmostWindow)
{
    KwApp::installFoundationHooks();
    enum class Step { show, focus, hide, showModal };
    struct Case
    {
        const char *name;
        // Each step acts on the window of that index.
        std::vector<std::pair<Step, int>> steps;
        // The window focused at the end; -1 for none.
        int expected;
    };
    const Case cases[] = {
        { "nothing shown", {}, -1 },
        { "nothing shown any more", { { Step::show, 0 }, { Step::focus, 0 }, { Step::hide, 0 } }, -1 },
        { "the newest of windows never focused", { { Step::show, 0 }, { Step::show, 1 } }, 1 },
        { "the one focused last, though another came later",
            { { Step::show, 0 }, { Step::show, 1 }, { Step::focus, 0 }, { Step::show, 2 } }, 0 },
        { "one focused last but hidden since gives way",
            { { Step::show, 0 }, { Step::show, 1 }, { Step::focus, 1 }, { Step::hide, 1 } }, 0 },
        { "a modal dialog before all", { { Step::show, 0 }, { Step::focus, 0 }, { Step::showModal, 1 } }, 1 },
    };
    OtherApplication other;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<QWidget>> windows;
        for (int index = 0; index < 3; ++index) {
            windows.push_back(index == 1 ? std::make_unique<QDialog>() : std::make_unique<QWidget>());
            windows.back()->resize(200, 100);
        }
        for (const auto &[step, index] : c.steps) {
            QWidget &window = *windows[static_cast<std::size_t>(index)];
            switch (step) {
            case Step::show:
                window.show();
                break;
            case Step::showModal:
                window.setWindowModality(Qt::ApplicationModal);
                window.show();
                break;
            case Step::focus:
                activateAndWait(window);
                break;
            case Step::hide:
                window.hide();
                break;
            }
            TestSupport::processEventsFor(20ms);
        }
        other.takeFocus();

        activateFromAMenuItem();
        if (c.expected < 0) {
            TestSupport::processEventsFor(100ms);
            EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
            continue;
        }
        const QWindow *expected = windows[static_cast<std::size_t>(c.expected)]->windowHandle();
        EXPECT_TRUE(TestSupport::processEventsUntil([&] {
            return QGuiApplication::focusWindow() == expected;
        })) << "focused: "
            << (QGuiApplication::focusWindow() ? "another window" : "none");
    }
}

} // namespace
