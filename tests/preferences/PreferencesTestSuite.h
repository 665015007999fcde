#pragma once

#include "TemporaryConfigHome.h"
#include "platform/userdefaults/UserDefaults.h"

#include <gtest/gtest.h>

#include <memory>

// A fixture with a private configuration directory and a database of its own.
class PreferencesTest : public ::testing::Test
{
protected:
    PreferencesTest()
        : m_suite(UserDefaults::suite("preferences-test"))
    { }

    UserDefaults &suite() { return *m_suite; }

    TemporaryConfigHome m_home;
    std::shared_ptr<UserDefaults> m_suite;
};
