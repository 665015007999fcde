#pragma once

#include <QRect>

#include <optional>

// The test desktop's X server seen from outside a program: where its tray icon is.
namespace XInput {

// The icon window of process `pid` once a tray has embedded it, in screen coordinates.
std::optional<QRect> embeddedTrayIcon(qint64 pid);

} // namespace XInput
