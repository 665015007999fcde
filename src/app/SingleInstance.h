#pragma once

#include <QDBusConnection>

#include <optional>

// One running program per user session: the instance that owns the session-bus name is the one.
// Automation registers its objects on the same connection, under the same name.
class SingleInstance
{
public:
    enum class Claim {
        // The name is ours now.
        owned,
        // Another process owns it: that one is the running program.
        runningElsewhere,
        // No session bus to ask; the program runs without the guarantee.
        noBus,
    };

    // Asks the session bus for `busName`, never queueing for it nor taking it over.
    static Claim claim(const QString &busName);

    // The connection the name is owned on; objects registered here are reachable under it.
    static QDBusConnection connection();
};
