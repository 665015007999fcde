#pragma once

#include <QRect>

#include <optional>

// The test desktop's X server seen from outside a program: where its tray icon is, and input as
// a user gives it.
namespace XInput {

inline constexpr unsigned int keyDown = 0xff54;
inline constexpr unsigned int keyReturn = 0xff0d;
inline constexpr unsigned int keyControl = 0xffe3;
inline constexpr unsigned int keyShift = 0xffe1;

// The icon window of process `pid` once a tray has embedded it, in screen coordinates.
std::optional<QRect> embeddedTrayIcon(qint64 pid);

void click(QPoint position);
// Presses and releases the key of a keysym.
void tapKey(unsigned int keysym);
// Presses or releases it alone.
void setKey(unsigned int keysym, bool down);

} // namespace XInput
