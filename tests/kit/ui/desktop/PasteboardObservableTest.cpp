#include "kit/ui/Pasteboard.h"
#include "kit/ui/PasteboardSimpleObservable.h"

#include "EventLoop.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using TestSupport::processEventsUntil;

// Another program that takes the clipboard and never answers anyone who asks for its content.
class SilentClipboardOwner
{
public:
    SilentClipboardOwner()
        : m_connection(xcb_connect(nullptr, nullptr))
    { }
    ~SilentClipboardOwner() { xcb_disconnect(m_connection); }
    SilentClipboardOwner(const SilentClipboardOwner &) = delete;
    SilentClipboardOwner &operator=(const SilentClipboardOwner &) = delete;

    // Whether the clipboard is its own now.
    bool take()
    {
        if (xcb_connection_has_error(m_connection)) {
            return false;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "CLIPBOARD";
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(
                m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr),
            &std::free);
        if (!atom) {
            return false;
        }
        xcb_set_selection_owner(m_connection, window, atom->atom, XCB_CURRENT_TIME);
        const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, atom->atom), nullptr),
            &std::free);
        return owner && owner->owner == window;
    }

private:
    xcb_connection_t *m_connection;
};

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

// A copy waiting on the clipboard goes once another program takes it, at once: what that program
// offers is not read, as it may never answer.
TEST(PasteboardOnTheDesktopTest, ACopyGoesWhenAnotherProgramTakesTheClipboardWithoutAskingIt)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QUrl copy = QUrl::fromLocalFile(QStringLiteral("/tmp/Take.m4a"));
    ASSERT_TRUE(Pasteboard::copyUrl(copy));
    ASSERT_TRUE(processEventsUntil([&] { return clipboard->ownsClipboard(); }));
    bool released = false;
    Pasteboard::whenNoLongerOffered(copy, [&] { released = true; });

    SilentClipboardOwner other;
    ASSERT_TRUE(other.take());
    // The longest the event loop was held between two of its turns.
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    qint64 longestHold = 0;
    EXPECT_TRUE(processEventsUntil(
        [&] {
            longestHold = std::max(longestHold, sinceTurn.restart());
            return released;
        },
        std::chrono::seconds(10)));
    EXPECT_LT(longestHold, 2000) << "waited for the other program's answer";
}

} // namespace
