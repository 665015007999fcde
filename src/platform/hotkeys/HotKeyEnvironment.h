#pragma once

#include <QString>

// What decides the hot-key backend: the session's display variables.
struct HotKeyEnvironment
{
    QString display; // DISPLAY
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType; // XDG_SESSION_TYPE

    static HotKeyEnvironment current();
    bool isWaylandSession() const;
};
