#include "kit/ui/Pasteboard.h"
#include "kit/ui/PasteboardSimpleObservable.h"

#include "EventLoop.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

using TestSupport::processEventsUntil;

// How often an observer of the clipboard is told it will change, and that it was published.
struct Told
{
    int willChange = 0;
    int published = 0;
    Events::AnyCancellable willChangeSubscription;
    Events::AnyCancellable publishedSubscription;

    explicit Told(const Pasteboard::SimpleObservable &observable)
        : willChangeSubscription(observable.objectWillChange().sink([this] { ++willChange; }))
        , publishedSubscription(observable.pasteboardPublisher().sink([this](QClipboard *) {
            EXPECT_EQ(published++, willChange) << "the change is announced before it is published";
        }))
    { }
};

// The application is active while one of its windows has the focus. The window takes the focus
// before it gives it up: after an earlier test's windows went away the application may still
// count as active with none of them focused, and only a window's losing the focus ends that.
bool setActive(QWidget &window, bool active)
{
    window.show();
    window.activateWindow();
    if (!processEventsUntil([&] {
            return window.isActiveWindow() && QGuiApplication::applicationState() == Qt::ApplicationActive;
        })) {
        return false;
    }
    if (active) {
        return true;
    }
    window.hide();
    return processEventsUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationInactive; });
}

TEST(PasteboardObservableTest, AnnouncesEachChangeOrOnlyThoseOfAnActiveApplication)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    QWidget window;
    ASSERT_TRUE(setActive(window, false));
    Pasteboard::SimpleObservable always;
    Pasteboard::SimpleObservable activeOnly(clipboard, true);
    Told toldAlways(always);
    Told toldActiveOnly(activeOnly);
    // How often each has been told after each step; becoming active tells of what may have changed.
    const std::tuple<std::function<void()>, int, int> steps[] = {
        { [&] { clipboard->setText(QStringLiteral("while inactive")); }, 1, 0 },
        { [&] { ASSERT_TRUE(setActive(window, true)); }, 1, 1 },
        { [&] { Pasteboard::copyString(QStringLiteral("while active")); }, 2, 2 },
        { [&] { ASSERT_TRUE(setActive(window, false)); }, 2, 2 },
        { [&] { clipboard->setText(QStringLiteral("inactive again")); }, 3, 2 },
    };
    for (const auto &[act, byAlways, byActiveOnly] : steps) {
        act();
        TestSupport::processEventsFor(std::chrono::milliseconds(20));
        EXPECT_EQ(toldAlways.willChange, byAlways);
        EXPECT_EQ(toldActiveOnly.willChange, byActiveOnly);
    }
    // The current clipboard on subscribing, then once per announcement.
    EXPECT_EQ(toldAlways.published, 4);
    EXPECT_EQ(toldActiveOnly.published, 3);
}

} // namespace
