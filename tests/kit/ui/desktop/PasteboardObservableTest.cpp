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

class PasteboardTest : public ::testing::Test
{
protected:
    QClipboard *clipboard() { return QGuiApplication::clipboard(); }
};

// What an observer of the clipboard is told.
struct Told
{
    int willChange = 0;
    int published = 0;
    Events::AnyCancellable willChangeSubscription;
    Events::AnyCancellable publishedSubscription;

    explicit Told(const Pasteboard::SimpleObservable &observable)
        : willChangeSubscription(observable.objectWillChange().sink([this] { ++willChange; }))
        , publishedSubscription(
              observable.pasteboardPublisher().sink([this, &observable](QClipboard *clipboard) {
                  EXPECT_EQ(clipboard, observable.pasteboard());
                  EXPECT_EQ(published, willChange) << "the change is announced before it is published";
                  ++published;
              }))
    { }
};

// The application is active while one of its windows has the focus.
bool setActive(QWidget &window, bool active)
{
    if (active) {
        window.show();
        window.activateWindow();
    } else {
        window.hide();
    }
    const Qt::ApplicationState wanted = active ? Qt::ApplicationActive : Qt::ApplicationInactive;
    return processEventsUntil([&] { return QGuiApplication::applicationState() == wanted; });
}

TEST_F(PasteboardTest, ObservableAnnouncesEachChangeOrOnlyThoseOfAnActiveApplication)
{
    QWidget window;
    ASSERT_TRUE(setActive(window, false));
    struct Step
    {
        std::function<void()> act;
        int announcedByAlways;
        int announcedByActiveOnly;
    };
    const std::vector<Step> steps {
        { [&] { clipboard()->setText(QStringLiteral("while inactive")); }, 1, 0 },
        // Becoming active tells of what may have changed meanwhile.
        { [&] { ASSERT_TRUE(setActive(window, true)); }, 0, 1 },
        { [&] { Pasteboard::copyString(QStringLiteral("while active")); }, 1, 1 },
        { [&] { ASSERT_TRUE(setActive(window, false)); }, 0, 0 },
        { [&] { clipboard()->setText(QStringLiteral("inactive again")); }, 1, 0 },
    };
    Pasteboard::SimpleObservable always;
    Pasteboard::SimpleObservable activeOnly(clipboard(), true);
    EXPECT_FALSE(always.onlyWhenAppIsActive());
    EXPECT_TRUE(activeOnly.onlyWhenAppIsActive());
    EXPECT_EQ(always.pasteboard(), clipboard());
    Told toldAlways(always);
    Told toldActiveOnly(activeOnly);
    int expectedAlways = 0;
    int expectedActiveOnly = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].act();
        expectedAlways += steps[i].announcedByAlways;
        expectedActiveOnly += steps[i].announcedByActiveOnly;
        TestSupport::processEventsFor(std::chrono::milliseconds(20));
        EXPECT_EQ(toldAlways.willChange, expectedAlways) << "step " << i;
        EXPECT_EQ(toldActiveOnly.willChange, expectedActiveOnly) << "step " << i;
    }
    // The current clipboard on subscribing, then once per announcement.
    EXPECT_EQ(toldAlways.published, expectedAlways + 1);
    EXPECT_EQ(toldActiveOnly.published, expectedActiveOnly + 1);
}

} // namespace
