#pragma once

#include <QtGlobal>

struct xcb_connection_t;

namespace Keysym {
inline constexpr quint32 capsLock = 0xffe5, numLock = 0xff7f;
} // namespace Keysym

// An X client of its own, as another program is to the hot keys: it reads the keyboard's state
// and holds passive grabs, which end with it.
class OtherXClient
{
public:
    OtherXClient();
    ~OtherXClient();

    bool lockIsOn(quint32 lockKeysym);
    bool autoRepeatIsOn();
    bool grabControlAlt(quint32 keysym);

private:
    quint8 keycode(quint32 keysym);
    quint16 modifierMask(quint32 keysym);

    xcb_connection_t *m_connection;
};
