#pragma once

#include <QString>

// A failure answered to the caller as a D-Bus error: `name` is the error's interface-style name,
// `message` the text an automation shows.
struct AutomationError
{
    QString name;
    QString message;

    // The standard names callers and tools already know.
    static AutomationError invalidArguments(const QString &message)
    {
        return { QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), message };
    }
    static AutomationError unknownMethod(const QString &message)
    {
        return { QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), message };
    }
    static AutomationError unknownInterface(const QString &message)
    {
        return { QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), message };
    }
    static AutomationError failed(const QString &message)
    {
        return { QStringLiteral("org.freedesktop.DBus.Error.Failed"), message };
    }
};
