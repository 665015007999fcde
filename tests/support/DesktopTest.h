#pragma once

#include "TestDesktop.h"

#include <gtest/gtest.h>

namespace TestSupport {

// Base fixture of tests that need the private desktop: run elsewhere, they fail saying so
// instead of probing the caller's own session. Its bus is its own: on the user's, tests that own
// names and call them would meet the user's running programs.
class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestDesktop::isRunning())
            << "not inside the test desktop: run through CTest or scripts/with-test-desktop";
        const QString bus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        ASSERT_TRUE(
            bus.startsWith(QStringLiteral("unix:path=%1/").arg(qEnvironmentVariable("XDG_RUNTIME_DIR"))))
            << bus.toStdString();
    }
};

} // namespace TestSupport
