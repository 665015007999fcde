#include "platform/hotkeys/X11HotKeys.h"

#include "platform/hotkeys/HotKeyTexts.h"
#include "platform/hotkeys/HotKeysLogging.h"
#include "platform/hotkeys/KeyTable.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// The XKB header names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
#include <cstdlib>

namespace {

constexpr xcb_keysym_t numLockKeysym = 0xff7f;
constexpr quint16 grabbedModifiers
    = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

template<class T>
struct FreeDeleter
{
    void operator()(T *p) const { std::free(p); }
};
template<class T>
using XcbReply = std::unique_ptr<T, FreeDeleter<T>>;

quint16 xModifiers(quint32 carbonModifiers)
{
    quint16 mask = 0;
    if (carbonModifiers & CarbonModifier::command) {
        mask |= XCB_MOD_MASK_4;
    }
    if (carbonModifiers & CarbonModifier::shift) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if (carbonModifiers & CarbonModifier::option) {
        mask |= XCB_MOD_MASK_1;
    }
    if (carbonModifiers & CarbonModifier::control) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    return mask;
}

std::vector<xcb_keycode_t> keycodesOf(xcb_key_symbols_t *symbols, xcb_keysym_t keysym)
{
    std::vector<xcb_keycode_t> keycodes;
    XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t *k = list.get(); k && *k != XCB_NO_SYMBOL; ++k) {
        keycodes.push_back(*k);
    }
    return keycodes;
}

QString text(const char *source)
{
    return QCoreApplication::translate("HotKeys", source);
}

} // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::connect(const QString &display)
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(display.toLocal8Bit().constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        qCWarning(lcHotKeys).noquote() << "Cannot connect to the X11 display" << display;
        return nullptr;
    }
    return std::unique_ptr<X11HotKeys>(new X11HotKeys(connection, screenNumber));
}

X11HotKeys::X11HotKeys(xcb_connection_t *connection, int screenNumber)
    : m_connection(connection)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    m_root = screens.data->root;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    readKeyboardMapping();

    // Without it a held key arrives as release/press pairs, which would look like many presses.
    const XcbReply<xcb_xkb_use_extension_reply_t> xkb(xcb_xkb_use_extension_reply(m_connection,
        xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    if (xkb && xkb->supported) {
        const quint32 flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        const XcbReply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
        m_detectableAutoRepeat = flags && (flags->value & flag);
    }

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKeys::readEvents);
    scheduleRead();
}

X11HotKeys::~X11HotKeys()
{
    xcb_key_symbols_free(m_symbols);
    xcb_disconnect(m_connection);
}

HotKeys::Availability X11HotKeys::availability() const
{
    return m_connectionLost ? Availability::NoDisplay : Availability::Available;
}

std::vector<quint16> X11HotKeys::lockVariants() const
{
    return { 0, XCB_MOD_MASK_LOCK, m_numLockMask, quint16(XCB_MOD_MASK_LOCK | m_numLockMask) };
}

void X11HotKeys::readKeyboardMapping()
{
    m_numLockMask = XCB_MOD_MASK_2;
    const XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!mapping) {
        return;
    }
    const std::vector<xcb_keycode_t> numLock = keycodesOf(m_symbols, numLockKeysym);
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (keycode != 0 && std::find(numLock.begin(), numLock.end(), keycode) != numLock.end()) {
                m_numLockMask = quint16(1 << modifier);
                return;
            }
        }
    }
}

std::variant<std::vector<X11HotKeys::Grab>, HotKeyError> X11HotKeys::grabsFor(
    HotKeyCombination combination) const
{
    const KeyTableEntry *key = KeyTable::forCarbonKeyCode(combination.carbonKeyCode);
    if (!key || (combination.carbonModifiers & ~CarbonModifier::all) != 0) {
        return HotKeyError { HotKeyError::Kind::UnsupportedKey, HotKeyTexts::unusableKey() };
    }
    const quint16 modifiers = xModifiers(combination.carbonModifiers);
    if (modifiers & m_numLockMask) {
        return HotKeyError { HotKeyError::Kind::UnsupportedKey,
            text("This keyboard uses one of the shortcut's modifiers as Num Lock.") };
    }
    std::vector<Grab> grabs;
    for (const xcb_keycode_t keycode : keycodesOf(m_symbols, key->keysym)) {
        grabs.push_back({ keycode, modifiers });
    }
    if (grabs.empty()) {
        return HotKeyError { HotKeyError::Kind::UnsupportedKey,
            text("This keyboard has no key for the shortcut.") };
    }
    return grabs;
}

bool X11HotKeys::grab(const std::vector<Grab> &grabs)
{
    std::vector<xcb_void_cookie_t> cookies;
    for (const Grab &g : grabs) {
        for (const quint16 lock : lockVariants()) {
            cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root, g.modifiers | lock, g.keycode,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error) {
            granted = false;
        }
    }
    if (!granted) {
        // Removes only our own grabs: those of this call that the server granted.
        ungrab(grabs);
    }
    scheduleRead();
    return granted;
}

void X11HotKeys::ungrab(const std::vector<Grab> &grabs)
{
    for (const Grab &g : grabs) {
        for (const quint16 lock : lockVariants()) {
            xcb_ungrab_key(m_connection, g.keycode, m_root, g.modifiers | lock);
        }
    }
    xcb_flush(m_connection);
}

std::variant<HotKeyId, HotKeyError> X11HotKeys::registerHotKey(HotKeyCombination combination, Handler handler)
{
    if (m_connectionLost) {
        return HotKeyError { HotKeyError::Kind::Unavailable, unavailableMessage() };
    }
    for (const auto &[id, registration] : m_registrations) {
        if (registration.combination == combination) {
            return HotKeyError { HotKeyError::Kind::AlreadyTaken,
                text("This shortcut is already used by this application.") };
        }
    }
    auto grabs = grabsFor(combination);
    if (auto *error = std::get_if<HotKeyError>(&grabs)) {
        return *error;
    }
    auto &keyGrabs = std::get<std::vector<Grab>>(grabs);
    if (!grab(keyGrabs)) {
        return HotKeyError { HotKeyError::Kind::AlreadyTaken,
            text("This shortcut is already used by another application.") };
    }
    const HotKeyId id = m_nextId++;
    m_registrations.emplace(id, Registration { combination, std::move(keyGrabs), std::move(handler) });
    return id;
}

void X11HotKeys::unregisterHotKey(HotKeyId id)
{
    const auto it = m_registrations.find(id);
    if (it == m_registrations.end()) {
        return;
    }
    if (!m_connectionLost) {
        ungrab(it->second.grabs);
    }
    m_registrations.erase(it);
}

std::optional<quint32> X11HotKeys::carbonKeyCodeForScanCode(quint32 scanCode) const
{
    if (scanCode > 255) {
        return std::nullopt;
    }
    // Keypad digits sit on the second level, under the navigation keys of Num Lock off.
    for (const int column : { 0, 1 }) {
        const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(m_symbols, xcb_keycode_t(scanCode), column);
        if (const KeyTableEntry *key = KeyTable::forKeysym(keysym)) {
            return key->carbonKeyCode;
        }
    }
    return std::nullopt;
}

void X11HotKeys::keyboardMappingChanged()
{
    for (auto &[id, registration] : m_registrations) {
        ungrab(registration.grabs);
    }
    xcb_key_symbols_free(m_symbols);
    m_symbols = xcb_key_symbols_alloc(m_connection);
    readKeyboardMapping();
    for (auto &[id, registration] : m_registrations) {
        auto grabs = grabsFor(registration.combination);
        registration.grabs.clear();
        if (auto *keyGrabs = std::get_if<std::vector<Grab>>(&grabs); keyGrabs && grab(*keyGrabs)) {
            registration.grabs = std::move(*keyGrabs);
        } else {
            qCWarning(lcHotKeys) << "A hot key was lost when the keyboard mapping changed";
        }
    }
}

void X11HotKeys::scheduleRead()
{
    // Round trips may have queued events inside xcb that the socket will not announce again.
    QMetaObject::invokeMethod(this, &X11HotKeys::readEvents, Qt::QueuedConnection);
}

void X11HotKeys::readEvents()
{
    if (m_connectionLost) {
        return;
    }
    std::vector<XcbReply<xcb_generic_event_t>> events;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        events.emplace_back(event);
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        const quint8 type = events[i]->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(events[i].get());
            keyPressed(press->detail, press->state);
        } else if (type == XCB_KEY_RELEASE) {
            const auto *release = reinterpret_cast<const xcb_key_release_event_t *>(events[i].get());
            // Auto-repeat without the detectable mode: a release followed at once by a press of
            // the same key at the same time is the key still held.
            if (i + 1 < events.size() && (events[i + 1]->response_type & 0x7f) == XCB_KEY_PRESS) {
                const auto *next = reinterpret_cast<const xcb_key_press_event_t *>(events[i + 1].get());
                if (next->detail == release->detail && next->time == release->time) {
                    ++i;
                    continue;
                }
            }
            keyReleased(release->detail);
        } else if (type == XCB_MAPPING_NOTIFY) {
            auto *notify = reinterpret_cast<xcb_mapping_notify_event_t *>(events[i].get());
            if (xcb_refresh_keyboard_mapping(m_symbols, notify) || notify->request == XCB_MAPPING_MODIFIER) {
                keyboardMappingChanged();
            }
        }
    }
    if (xcb_connection_has_error(m_connection)) {
        m_connectionLost = true;
        m_notifier->setEnabled(false);
        qCWarning(lcHotKeys) << "The connection to the X11 display was lost; global shortcuts stop working";
    }
}

void X11HotKeys::keyPressed(quint8 keycode, quint16 state)
{
    const quint16 modifiers = state & grabbedModifiers & ~m_numLockMask;
    for (auto &[id, registration] : m_registrations) {
        for (const Grab &g : registration.grabs) {
            if (g.keycode == keycode && g.modifiers == modifiers) {
                if (!registration.pressed) {
                    registration.pressed = true;
                    run(id, HotKeyPhase::Pressed);
                }
                return;
            }
        }
    }
}

void X11HotKeys::keyReleased(quint8 keycode)
{
    // By key alone: the modifiers may have been let go first.
    for (auto &[id, registration] : m_registrations) {
        if (!registration.pressed) {
            continue;
        }
        for (const Grab &g : registration.grabs) {
            if (g.keycode == keycode) {
                registration.pressed = false;
                run(id, HotKeyPhase::Released);
                return;
            }
        }
    }
}

void X11HotKeys::run(HotKeyId id, HotKeyPhase phase)
{
    // A copy: the handler may unregister itself.
    const Handler handler = m_registrations.at(id).handler;
    if (handler) {
        handler(phase);
    }
}
