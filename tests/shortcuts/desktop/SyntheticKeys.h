#pragma once

#include <QtGlobal>

#include <initializer_list>
#include <vector>

struct xcb_connection_t;

namespace Keysym {
inline constexpr quint32 control = 0xffe3, alt = 0xffe9, shift = 0xffe1;
inline constexpr quint32 capsLock = 0xffe5, numLock = 0xff7f;
inline constexpr quint32 escape = 0xff1b, backspace = 0xff08, deleteKey = 0xffff;
} // namespace Keysym

// Key presses made through the X test extension, as from the keyboard, on a connection of its
// own (so also "another program" to the hot keys). Keys still held are let go at the end.
class SyntheticKeys
{
public:
    SyntheticKeys();
    ~SyntheticKeys();

    void press(quint32 keysym);
    void release(quint32 keysym);
    // Modifiers down, the key down and up, modifiers up.
    void tap(std::initializer_list<quint32> modifiers, quint32 keysym);

    bool lockIsOn(quint32 lockKeysym);
    void setLock(quint32 lockKeysym, bool on);
    bool autoRepeatIsOn();

    // A passive grab of this connection, as another program would hold it.
    bool grab(std::initializer_list<quint32> modifiers, quint32 keysym);

private:
    quint8 keycode(quint32 keysym);
    quint16 modifierMask(quint32 keysym);
    void fake(quint8 type, quint32 keysym);

    xcb_connection_t *m_connection;
    std::vector<quint32> m_held;
};
