#include "platform/desktop/BlockedWindowClicks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr quint32 leftButton = 1;
constexpr quint32 rightButton = 3;

// The head of an XInput 2 device event (XIDeviceEvent) as the protocol lays it out, the same for
// every version; xcb's own type for it comes with a library nothing else here needs.
struct InputDeviceEventHead
{
    quint8 responseType;
    quint8 extension;
    quint16 sequence;
    quint32 length;
    quint16 eventType;
    quint16 deviceId;
    quint32 time;
    quint32 detail;
    quint32 root;
    quint32 event;
    quint32 child;
};
static_assert(sizeof(InputDeviceEventHead) == 32);
constexpr quint16 inputButtonPress = 4;

xcb_connection_t *x11Connection()
{
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    const auto *x11
        = application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int inputExtensionOpcode(xcb_connection_t *connection)
{
    static constexpr char name[] = "XInputExtension";
    const std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> reply(
        xcb_query_extension_reply(
            connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr),
        &std::free);
    return reply && reply->present ? reply->major_opcode : -1;
}

QWindow *windowWithId(quint32 id)
{
    const QWindowList windows = QGuiApplication::allWindows();
    // Only windows that have one: asking any other for its id would make it.
    const auto found = std::ranges::find_if(
        windows, [id](const QWindow *window) { return window->handle() && window->winId() == id; });
    return found == windows.end() ? nullptr : *found;
}

} // namespace

BlockedWindowClicks::BlockedWindowClicks(
    std::function<bool(const QWindow &)> watches, std::function<void()> pressed)
    : m_watches(std::move(watches))
    , m_pressed(std::move(pressed))
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return;
    }
    m_inputExtension = inputExtensionOpcode(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
}

BlockedWindowClicks::~BlockedWindowClicks()
{
    if (m_installed && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool BlockedWindowClicks::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type == XCB_BUTTON_PRESS) {
        const auto *buttonPress = static_cast<const xcb_button_press_event_t *>(message);
        return takePress(buttonPress->event, buttonPress->detail, buttonPress->time);
    }
    if (type == XCB_GE_GENERIC && m_inputExtension >= 0) {
        InputDeviceEventHead head;
        std::memcpy(&head, message, sizeof head);
        if (head.extension == m_inputExtension && head.eventType == inputButtonPress) {
            return takePress(head.event, head.detail, head.time);
        }
    }
    return false;
}

bool BlockedWindowClicks::takePress(quint32 window, quint32 button, quint32 time)
{
    if (button != leftButton && button != rightButton) {
        return false;
    }
    // XInput reports one press for the device and one for the pointer it moves, not always read
    // at once: the second may come once the press has opened a popup, which would take it for a
    // click outside itself and close.
    if (window == m_lastWindow && time == m_lastTime) {
        return true;
    }
    QWindow *pressed = windowWithId(window);
    if (!pressed || !isBlocked(*pressed) || !m_watches(*pressed)) {
        return false;
    }
    m_lastWindow = window;
    m_lastTime = time;
    // Not while Qt is still handling the window system's events.
    QMetaObject::invokeMethod(
        &m_context, [this] { m_pressed(); }, Qt::QueuedConnection);
    return true;
}

bool BlockedWindowClicks::isBlocked(const QWindow &window)
{
    if (QApplication::activePopupWidget()) {
        return false;
    }
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::ranges::any_of(windows, [&window](const QWindow *other) {
        return other != &window && other->isVisible() && other->modality() == Qt::ApplicationModal
            && !other->isAncestorOf(&window, QWindow::IncludeTransients);
    });
}
