#include "platform/desktop/XEmbedTrayIcon.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QToolTip>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// SYSTEM_TRAY_REQUEST_DOCK of the system tray protocol.
constexpr std::uint32_t requestDock = 0;
// The size trays commonly give; the tray sets its own once it holds the icon.
constexpr int defaultSize = 22;

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection,
        xcb_intern_atom(connection, false, std::uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

const xcb_screen_t *screenWithRoot(xcb_connection_t *connection, xcb_window_t root)
{
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0; xcb_screen_next(&it)) {
        if (it.data->root == root) {
            return it.data;
        }
    }
    return nullptr;
}

// Whether the tray's windows take an alpha channel: it names the visual its icons should have.
bool trayHasAlpha(xcb_connection_t *connection, xcb_window_t root, xcb_window_t tray, xcb_atom_t visualAtom)
{
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, tray, visualAtom, XCB_ATOM_VISUALID, 0, 1), nullptr));
    const xcb_screen_t *screen = screenWithRoot(connection, root);
    if (!property || !screen || property->format != 32
        || xcb_get_property_value_length(property.get()) != 4) {
        return false;
    }
    const auto visual = *static_cast<const xcb_visualid_t *>(xcb_get_property_value(property.get()));
    for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem > 0; xcb_depth_next(&depth)) {
        for (auto it = xcb_depth_visuals_iterator(depth.data); it.rem > 0; xcb_visualtype_next(&it)) {
            if (it.data->visual_id == visual) {
                return depth.data->depth == 32;
            }
        }
    }
    return false;
}

} // namespace

// The icon's window, which the tray takes into itself.
class XEmbedTrayIcon::Window : public QWidget
{
public:
    Window(XEmbedTrayIcon &owner, bool translucent)
        : QWidget(nullptr,
            Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus)
        , m_owner(owner)
    {
        // Focused, the window would take the keyboard from the user's windows into the tray, and at
        // its end leave it to the tray's socket, whose own end leaves the display with no focus at
        // all: without a window manager to step in, no key reaches anyone, global shortcuts included.
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_AlwaysShowToolTips);
        setAttribute(Qt::WA_QuitOnClose, false);
        setAttribute(Qt::WA_TranslucentBackground, translucent);
        setToolTip(owner.toolTip());
        // Trays size their place for the icon by its smallest size.
        setMinimumSize(defaultSize, defaultSize);
        resize(defaultSize, defaultSize);
    }

    // A window without alpha shows the tray's own background behind the icon, read from the screen
    // once the window is on it, and again at each new place or size.
    bool lacksBackground() const
    {
        return !testAttribute(Qt::WA_TranslucentBackground) && m_background.isNull();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (lacksBackground() && screen() && isViewable()) {
            // Cleared, the window shows its parent's background (ParentRelative) again.
            xcb_clear_area(m_owner.m_connection, 0, xcb_window_t(winId()), 0, 0, 0, 0);
            m_background = screen()->grabWindow(winId(), 0, 0, width(), height());
        }
        QPainter painter(this);
        if (testAttribute(Qt::WA_TranslucentBackground)) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(rect(), Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else {
            painter.drawPixmap(0, 0, m_background);
        }
        m_owner.icon().paint(&painter, rect());
    }
    void mousePressEvent(QMouseEvent *event) override { emit m_owner.pressed(event->button()); }
    void resizeEvent(QResizeEvent *) override { m_background = {}; }
    // Moved along the tray, the window has other parts of it behind.
    void moveEvent(QMoveEvent *) override
    {
        m_background = {};
        update();
    }

private:
    // Whether the window is on the screen: the tray may show it only after taking it in, and
    // what is read off a window not on the screen is black.
    bool isViewable() const
    {
        xcb_connection_t *connection = m_owner.m_connection;
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, xcb_window_t(winId())), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    XEmbedTrayIcon &m_owner;
    QPixmap m_background;
};

XEmbedTrayIcon::XEmbedTrayIcon(QObject *parent)
    : QObject(parent)
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    int screen = 0;
    char *host = nullptr;
    int display = 0;
    if (!x11 || !xcb_parse_display(nullptr, &host, &display, &screen)) {
        return;
    }
    std::free(host);
    m_connection = x11->connection();
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int skipped = 0; skipped < screen && roots.rem > 0; ++skipped) {
        xcb_screen_next(&roots);
    }
    if (roots.rem == 0) {
        m_connection = nullptr;
        return;
    }
    m_root = roots.data->root;
    m_atoms = { internAtom(m_connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen)),
        internAtom(m_connection, "_NET_SYSTEM_TRAY_OPCODE"), internAtom(m_connection, "MANAGER"),
        internAtom(m_connection, "_NET_SYSTEM_TRAY_VISUAL") };
    // A tray that starts announces itself to the root window's structure listeners.
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_root), nullptr));
    if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XEmbedTrayIcon::~XEmbedTrayIcon()
{
    if (m_connection) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void XEmbedTrayIcon::setIcon(const QIcon &icon)
{
    m_icon = icon;
    if (m_window) {
        m_window->update();
    }
}

void XEmbedTrayIcon::setToolTip(const QString &toolTip)
{
    if (!m_window) {
        m_toolTip = toolTip;
        return;
    }
    // Qt keeps a shown tip's text until the tip is shown anew, so the elapsed time in it would
    // stand still while the pointer rests on the icon: a tip showing for the icon takes the new
    // text where it is.
    const bool shownForIcon
        = QToolTip::isVisible() && QToolTip::text() == m_toolTip && geometry().contains(QCursor::pos());
    m_toolTip = toolTip;
    m_window->setToolTip(toolTip);
    if (shownForIcon) {
        QToolTip::showText(QCursor::pos(), toolTip, m_window.get());
    }
}

void XEmbedTrayIcon::setVisible(bool visible)
{
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    follow();
}

bool XEmbedTrayIcon::isWindow(const QWindow &window) const
{
    return m_window && m_window->windowHandle() == &window;
}

QRect XEmbedTrayIcon::geometry() const
{
    if (!m_window) {
        return {};
    }
    // Asked of the server: the tray may have taken the window in before the event saying so is here.
    const auto window = xcb_window_t(m_window->winId());
    const auto treeCookie = xcb_query_tree(m_connection, window);
    const auto placeCookie = xcb_translate_coordinates(m_connection, window, m_root, 0, 0);
    const auto sizeCookie = xcb_get_geometry(m_connection, window);
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, treeCookie, nullptr));
    const Reply<xcb_translate_coordinates_reply_t> place(
        xcb_translate_coordinates_reply(m_connection, placeCookie, nullptr));
    const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(m_connection, sizeCookie, nullptr));
    if (!tree || !place || !size || tree->parent == m_root) {
        return {};
    }
    const qreal ratio = m_window->devicePixelRatioF();
    return QRectF(place->dst_x / ratio, place->dst_y / ratio, size->width / ratio, size->height / ratio)
        .toRect();
}

void XEmbedTrayIcon::follow()
{
    if (!m_connection) {
        return;
    }
    xcb_window_t tray = XCB_NONE;
    if (m_visible) {
        const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, m_atoms.selection), nullptr));
        tray = owner ? owner->owner : xcb_window_t(XCB_NONE);
    }
    if (tray != XCB_NONE && tray == m_tray && m_window) {
        return;
    }
    undock();
    if (tray != XCB_NONE) {
        dock(tray);
    }
}

void XEmbedTrayIcon::dock(std::uint32_t tray)
{
    // Told when the tray goes; one that went already has a successor announce itself instead.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (xcb_generic_error_t *error = xcb_request_check(m_connection,
            xcb_change_window_attributes_checked(m_connection, tray, XCB_CW_EVENT_MASK, &mask))) {
        std::free(error);
        return;
    }
    const bool translucent = trayHasAlpha(m_connection, m_root, tray, m_atoms.visual);
    m_window = std::make_unique<Window>(*this, translucent);
    const auto window = xcb_window_t(m_window->winId());
    if (!translucent) {
        const std::uint32_t parentRelative = XCB_BACK_PIXMAP_PARENT_RELATIVE;
        xcb_change_window_attributes(m_connection, window, XCB_CW_BACK_PIXMAP, &parentRelative);
    }
    m_tray = tray;
    m_embedded = false;
    xcb_client_message_event_t request {};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = tray;
    request.type = m_atoms.opcode;
    request.data.data32[0] = XCB_CURRENT_TIME;
    request.data.data32[1] = requestDock;
    request.data.data32[2] = window;
    // A tray sizes its place for a window it finds unmapped, and maps it itself: Qt's map is
    // taken back at once, and the window shows nothing of it, its background being the root's.
    m_window->show();
    xcb_unmap_window(m_connection, window);
    xcb_send_event(
        m_connection, false, tray, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&request));
    xcb_flush(m_connection);
}

void XEmbedTrayIcon::undock()
{
    // The tray lets go of a window that is destroyed.
    m_window.reset();
    m_tray = XCB_NONE;
    m_embedded = false;
}

bool XEmbedTrayIcon::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // Docking makes and destroys windows: done after the event, not inside Qt's handling of it.
    const auto later = [this](auto step) { QMetaObject::invokeMethod(this, step, Qt::QueuedConnection); };
    const xcb_window_t window = m_window ? xcb_window_t(m_window->internalWinId()) : xcb_window_t(XCB_NONE);
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto *said = reinterpret_cast<const xcb_client_message_event_t *>(event);
        if (said->type == m_atoms.manager && said->data.data32[1] == m_atoms.selection) {
            later([this] { follow(); });
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (m_tray != XCB_NONE
            && reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == m_tray) {
            later([this] { follow(); });
        }
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto *moved = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
        if (window != XCB_NONE && moved->window == window) {
            const bool embedded = moved->parent != m_root;
            // A tray that gives the window back would leave it on the root window.
            if (m_embedded && !embedded) {
                later([this] {
                    undock();
                    follow();
                });
            }
            m_embedded = embedded;
        }
        break;
    }
    case XCB_EXPOSE:
        // On the screen at last: the tray's background can be read now.
        if (window != XCB_NONE && reinterpret_cast<const xcb_expose_event_t *>(event)->window == window
            && m_window->lacksBackground()) {
            later([this] {
                if (m_window) {
                    m_window->update();
                }
            });
        }
        break;
    default:
        break;
    }
    return false;
}
