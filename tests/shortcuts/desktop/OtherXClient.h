#pragma once

#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace Keysym {
inline constexpr quint32 capsLock = 0xffe5, numLock = 0xff7f;
} // namespace Keysym

// An X client of its own, as another program is to the hot keys: it reads the keyboard's state
// and holds passive grabs, which end with it.
class OtherXClient
{
public:
    OtherXClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection)) {
            throw std::runtime_error("no X display");
        }
    }
    ~OtherXClient() { xcb_disconnect(m_connection); }

    bool lockIsOn(quint32 lockKeysym)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        auto pointer
            = owned(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, root), nullptr));
        return pointer->mask & modifierMask(lockKeysym);
    }

    bool autoRepeatIsOn()
    {
        auto control = owned(
            xcb_get_keyboard_control_reply(m_connection, xcb_get_keyboard_control(m_connection), nullptr));
        return control->global_auto_repeat == XCB_AUTO_REPEAT_MODE_ON;
    }

    bool grabControlAlt(quint32 keysym)
    {
        const quint16 mask = modifierMask(0xffe3) | modifierMask(0xffe9); // left Control and Alt
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(
            m_connection, 1, root, mask, keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        auto error = owned(xcb_request_check(m_connection, cookie));
        return !error;
    }

private:
    quint8 keycode(quint32 keysym)
    {
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto mapping = owned(xcb_get_keyboard_mapping_reply(m_connection,
            xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)), nullptr));
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        for (int i = 0; i < count * mapping->keysyms_per_keycode; ++i) {
            if (syms[i] == keysym) {
                return quint8(setup->min_keycode + i / mapping->keysyms_per_keycode);
            }
        }
        throw std::runtime_error("no key for keysym " + std::to_string(keysym));
    }

    quint16 modifierMask(quint32 keysym)
    {
        const quint8 code = keycode(keysym);
        auto mapping = owned(
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
        for (int i = 0; i < 8 * mapping->keycodes_per_modifier; ++i) {
            if (codes[i] == code) {
                return quint16(1 << (i / mapping->keycodes_per_modifier));
            }
        }
        throw std::runtime_error("keysym is no modifier");
    }

    template<class T>
    static std::unique_ptr<T, decltype(&std::free)> owned(T *reply)
    {
        return { reply, &std::free };
    }

    xcb_connection_t *m_connection;
};
