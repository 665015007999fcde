#include "XInput.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Connection
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    ~Connection() { xcb_disconnect(connection); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root; }
};

template<class Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply *reply)
{
    return { reply, &std::free };
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<qint64> windowPid(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t pidAtom)
{
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4) {
        return std::nullopt;
    }
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
}

void collect(xcb_connection_t *connection, xcb_window_t window,
    std::vector<std::pair<xcb_window_t, xcb_window_t>> &out)
{
    const auto tree = owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree) {
        return;
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        out.emplace_back(children[i], window);
        collect(connection, children[i], out);
    }
}

void fake(xcb_connection_t *connection, uint8_t type, uint8_t detail)
{
    xcb_test_fake_input(connection, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection);
}

} // namespace

std::optional<QRect> XInput::embeddedTrayIcon(qint64 pid)
{
    Connection x;
    const xcb_atom_t pidAtom = atom(x.connection, "_NET_WM_PID");
    std::vector<std::pair<xcb_window_t, xcb_window_t>> windows;
    collect(x.connection, x.root(), windows);
    for (const auto &[window, parent] : windows) {
        if (parent == x.root() || windowPid(x.connection, window, pidAtom) != pid) {
            continue;
        }
        const auto attributes = owned(xcb_get_window_attributes_reply(
            x.connection, xcb_get_window_attributes(x.connection, window), nullptr));
        const auto geometry
            = owned(xcb_get_geometry_reply(x.connection, xcb_get_geometry(x.connection, window), nullptr));
        const auto onScreen = owned(xcb_translate_coordinates_reply(
            x.connection, xcb_translate_coordinates(x.connection, window, x.root(), 0, 0), nullptr));
        if (attributes && geometry && onScreen && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            return QRect(onScreen->dst_x, onScreen->dst_y, geometry->width, geometry->height);
        }
    }
    return std::nullopt;
}

void XInput::click(QPoint position)
{
    Connection x;
    xcb_test_fake_input(x.connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, x.root(),
        static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
    fake(x.connection, XCB_BUTTON_PRESS, 1);
    fake(x.connection, XCB_BUTTON_RELEASE, 1);
    free(xcb_get_input_focus_reply(x.connection, xcb_get_input_focus(x.connection), nullptr));
}

void XInput::tapKey(unsigned int keysym)
{
    Connection x;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(x.connection);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (codes && codes[0] != XCB_NO_SYMBOL) {
        fake(x.connection, XCB_KEY_PRESS, codes[0]);
        fake(x.connection, XCB_KEY_RELEASE, codes[0]);
    }
    free(codes);
    xcb_key_symbols_free(symbols);
    free(xcb_get_input_focus_reply(x.connection, xcb_get_input_focus(x.connection), nullptr));
}
