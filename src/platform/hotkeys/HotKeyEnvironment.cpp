#include "platform/hotkeys/HotKeyEnvironment.h"

#include <QtGlobal>

HotKeyEnvironment HotKeyEnvironment::current()
{
    return { qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        qEnvironmentVariable("XDG_SESSION_TYPE") };
}

bool HotKeyEnvironment::isWaylandSession() const
{
    return sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0
        || !waylandDisplay.isEmpty();
}
