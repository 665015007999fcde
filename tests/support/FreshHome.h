#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace TestSupport {

// Points HOME at an empty directory for the rest of the process, with the XDG folders left to
// follow it, so the program finds no settings, data or caches from an earlier run.
inline void useFreshHome()
{
    static QTemporaryDir home;
    for (const char *name : { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME" }) {
        qunsetenv(name);
    }
    qputenv("HOME", home.path().toLocal8Bit());
}

} // namespace TestSupport
