#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

// The test desktop's X server seen from outside a program: where a process's tray icon is, and
// input as a user would give it.
namespace XInput {

// The icon window of process `pid` once a tray has embedded it, in screen coordinates.
std::optional<QRect> embeddedTrayIcon(qint64 pid);

void click(QPoint position);
// A key by its keysym (XK_Return, XK_Down…), pressed and released.
void tapKey(unsigned int keysym);

} // namespace XInput
