#pragma once

#include "platform/userdefaults/UserDefaults.h"

#include <gtest/gtest.h>

// The settings keys live in the standard database (in the test process's private home): every
// test starts and ends with it empty.
class StandardDefaultsTest : public ::testing::Test
{
protected:
    void SetUp() override { UserDefaults::standard()->removeAll(); }
    void TearDown() override { UserDefaults::standard()->removeAll(); }

    UserDefaults &standard() { return *UserDefaults::standard(); }
};
