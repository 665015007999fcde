#pragma once

#include "platform/userdefaults/UserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The settings keys live in the standard database, which a process opens once: point it at a
// private directory before anything opens it, and start and end every test with it empty.
class StandardDefaultsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    }
    void SetUp() override { UserDefaults::standard()->removeAll(); }
    void TearDown() override { UserDefaults::standard()->removeAll(); }

    UserDefaults &standard() { return *UserDefaults::standard(); }
};
