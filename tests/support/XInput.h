#pragma once

#include "Command.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace TestSupport {

// Input as a user gives it, through the X server, from a program of its own.
inline void xdotool(const QStringList &arguments)
{
    const CommandResult result = runCommand(QStringLiteral("xdotool"), arguments);
    EXPECT_TRUE(result.succeeded()) << arguments.join(u' ').toStdString() << ": "
                                    << result.describe().toStdString();
}

} // namespace TestSupport
