#pragma once

#include <QtGlobal>

#include <functional>

// A key combination as it is registered system-wide: a Carbon virtual key code and Carbon
// modifier bits, the form shortcuts are recorded in. The X11 side is reached through KeyTable.
struct HotKeyCombination
{
    quint32 carbonKeyCode = 0;
    quint32 carbonModifiers = 0;

    friend bool operator==(const HotKeyCombination &, const HotKeyCombination &) = default;
};

// The Carbon modifier bits a combination may carry; Command is Super here and Option is Alt.
namespace CarbonModifier {
inline constexpr quint32 command = 0x0100;
inline constexpr quint32 shift = 0x0200;
inline constexpr quint32 option = 0x0800;
inline constexpr quint32 control = 0x1000;
inline constexpr quint32 all = command | shift | option | control;
} // namespace CarbonModifier
