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
#include <cstring>
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
        m_window = xcb_generate_id(m_connection);
        const quint32 events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const xcb_atom_t clipboard = atom("CLIPBOARD");
        // A claim of the same millisecond as the program's own is taken for an older one, and
        // ignored: this one comes after the next tick of the server's clock.
        const xcb_timestamp_t before = serverTime();
        xcb_timestamp_t now = before;
        while (now == before) {
            now = serverTime();
        }
        xcb_set_selection_owner(m_connection, m_window, clipboard, now);
        const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, clipboard), nullptr),
            &std::free);
        return owner && owner->owner == m_window;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                m_connection, xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name), nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // The server's time now, from the change of a property of its own.
    xcb_timestamp_t serverTime()
    {
        xcb_change_property(
            m_connection, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_connection);
        for (;;) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(
                xcb_wait_for_event(m_connection), &std::free);
            if (!event) {
                return XCB_CURRENT_TIME;
            }
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                return reinterpret_cast<const xcb_property_notify_event_t *>(event.get())->time;
            }
        }
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_window = XCB_WINDOW_NONE;
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
