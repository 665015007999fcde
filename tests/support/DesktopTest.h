#pragma once

#include "TestDesktop.h"

#include <gtest/gtest.h>

namespace TestSupport {

// Base fixture of tests that need the private desktop: run elsewhere, they fail
// saying so instead of probing the caller's own session.
class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestDesktop::isRunning()) << TestDesktop::notRunningHint().toStdString();
    }
};

} // namespace TestSupport
