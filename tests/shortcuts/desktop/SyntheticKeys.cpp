#include "SyntheticKeys.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

template<class T>
std::unique_ptr<T, decltype(&std::free)> owned(T *reply)
{
    return { reply, &std::free };
}

} // namespace

SyntheticKeys::SyntheticKeys()
    : m_connection(xcb_connect(nullptr, nullptr))
{
    if (xcb_connection_has_error(m_connection)) {
        throw std::runtime_error("no X display for synthetic keys");
    }
}

SyntheticKeys::~SyntheticKeys()
{
    while (!m_held.empty()) {
        release(m_held.back());
    }
    xcb_disconnect(m_connection);
}

quint8 SyntheticKeys::keycode(quint32 keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto mapping = owned(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)), nullptr));
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    for (int i = 0; i < count * mapping->keysyms_per_keycode; ++i) {
        if (syms[i] == keysym) {
            return quint8(setup->min_keycode + i / mapping->keysyms_per_keycode);
        }
    }
    throw std::runtime_error("no key for keysym " + std::to_string(keysym));
}

quint16 SyntheticKeys::modifierMask(quint32 keysym)
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

void SyntheticKeys::fake(quint8 type, quint32 keysym)
{
    xcb_test_fake_input(m_connection, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    // A round trip, so the server has handled the key before the test goes on.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void SyntheticKeys::press(quint32 keysym)
{
    fake(XCB_KEY_PRESS, keysym);
    m_held.push_back(keysym);
}

void SyntheticKeys::release(quint32 keysym)
{
    fake(XCB_KEY_RELEASE, keysym);
    m_held.erase(std::remove(m_held.begin(), m_held.end(), keysym), m_held.end());
}

void SyntheticKeys::tap(std::initializer_list<quint32> modifiers, quint32 keysym)
{
    for (const quint32 modifier : modifiers) {
        press(modifier);
    }
    press(keysym);
    release(keysym);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) {
        release(*it);
    }
}

bool SyntheticKeys::lockIsOn(quint32 lockKeysym)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    auto pointer
        = owned(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, root), nullptr));
    return pointer->mask & modifierMask(lockKeysym);
}

void SyntheticKeys::setLock(quint32 lockKeysym, bool on)
{
    if (lockIsOn(lockKeysym) != on) {
        tap({}, lockKeysym);
    }
}

bool SyntheticKeys::autoRepeatIsOn()
{
    auto control = owned(
        xcb_get_keyboard_control_reply(m_connection, xcb_get_keyboard_control(m_connection), nullptr));
    return control->global_auto_repeat == XCB_AUTO_REPEAT_MODE_ON;
}

bool SyntheticKeys::grab(std::initializer_list<quint32> modifiers, quint32 keysym)
{
    quint16 mask = 0;
    for (const quint32 modifier : modifiers) {
        mask |= modifierMask(modifier);
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(
        m_connection, 1, root, mask, keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    auto error = owned(xcb_request_check(m_connection, cookie));
    return !error;
}
