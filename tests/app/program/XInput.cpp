#include "XInput.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<class Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply *reply)
{
    return { reply, &std::free };
}

struct Connection
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    ~Connection() { xcb_disconnect(c); }
};

std::optional<QRect> findIcon(Connection &x, xcb_window_t window, xcb_atom_t pidAtom, uint32_t pid)
{
    const auto tree = owned(xcb_query_tree_reply(x.c, xcb_query_tree(x.c, window), nullptr));
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t child = xcb_query_tree_children(tree.get())[i];
        const auto property = owned(xcb_get_property_reply(
            x.c, xcb_get_property(x.c, 0, child, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        const auto attributes
            = owned(xcb_get_window_attributes_reply(x.c, xcb_get_window_attributes(x.c, child), nullptr));
        // Embedded: mapped inside the tray's window rather than at the top level.
        if (window != x.root && property && xcb_get_property_value_length(property.get()) == 4
            && *static_cast<uint32_t *>(xcb_get_property_value(property.get())) == pid && attributes
            && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            const auto size = owned(xcb_get_geometry_reply(x.c, xcb_get_geometry(x.c, child), nullptr));
            const auto at = owned(xcb_translate_coordinates_reply(
                x.c, xcb_translate_coordinates(x.c, child, x.root, 0, 0), nullptr));
            return QRect(at->dst_x, at->dst_y, size->width, size->height);
        }
        if (const std::optional<QRect> icon = findIcon(x, child, pidAtom, pid)) {
            return icon;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QRect> XInput::embeddedTrayIcon(qint64 pid)
{
    Connection x;
    const char name[] = "_NET_WM_PID";
    const auto atom = owned(xcb_intern_atom_reply(x.c, xcb_intern_atom(x.c, 0, strlen(name), name), nullptr));
    return atom ? findIcon(x, x.root, atom->atom, static_cast<uint32_t>(pid)) : std::nullopt;
}
