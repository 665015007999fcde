#include "TestDesktop.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

// Whatever a test writes under the home or the XDG folders must miss the user's own.
TEST(FreshHomeTest, EveryTestProcessHasAnEmptyHomeOfItsOwn)
{
    const QString home = QDir::homePath();
    const passwd *user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    EXPECT_NE(QDir(home).canonicalPath(), QDir(QString::fromLocal8Bit(user->pw_dir)).canonicalPath());
    for (const auto location : { QStandardPaths::GenericConfigLocation, QStandardPaths::GenericDataLocation,
             QStandardPaths::GenericCacheLocation, QStandardPaths::RuntimeLocation }) {
        // Inside the test desktop its runtime folder stays: its bus and sound server are there.
        const bool ownFolder
            = location != QStandardPaths::RuntimeLocation || !TestSupport::TestDesktop::isRunning();
        EXPECT_EQ(QStandardPaths::writableLocation(location).startsWith(home + u'/'), ownFolder) << location;
    }
    EXPECT_TRUE(qEnvironmentVariable("XDG_STATE_HOME").startsWith(home + u'/'));
    EXPECT_TRUE(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).isEmpty());
    EXPECT_FALSE(qEnvironmentVariable("GST_REGISTRY").startsWith(home + u'/')) << "a registry per process";
}

} // namespace
