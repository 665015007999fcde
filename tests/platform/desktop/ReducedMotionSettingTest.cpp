#include "platform/desktop/ReducedMotionSetting.h"
#include "platform/desktop/GLibIncludes.h"

#pragma push_macro("signals")
#undef signals
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#pragma pop_macro("signals")

#include "Command.h"
#include "EventLoop.h"
#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using TestSupport::processEventsUntil;

// GSettings kept in a file of the test's own home, so that a `gsettings` run by the test changes
// what the setting reads, as another program on the desktop would.
class ReducedMotionSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The store is chosen once per process, on the first use of GSettings.
        ASSERT_STREQ(G_OBJECT_TYPE_NAME(g_settings_backend_get_default()), "GKeyfileSettingsBackend");
        QFile::remove(kdeglobals());
    }

    static QString kdeglobals()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/kdeglobals");
    }

    // As KDE writes it: a new file put in place of the old one.
    static void writeKdeglobals(const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(kdeglobals()).path());
        QSaveFile file(kdeglobals());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        ASSERT_TRUE(file.commit());
    }

    static void setGnomeAnimations(bool enabled)
    {
        const auto result = TestSupport::runCommand(QStringLiteral("gsettings"),
            { QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                QStringLiteral("enable-animations"),
                enabled ? QStringLiteral("true") : QStringLiteral("false") });
        ASSERT_TRUE(result.succeeded()) << result.describe().toStdString();
    }

    TestSupport::ScopedEnv m_backend { "GSETTINGS_BACKEND", QStringLiteral("keyfile") };
};

TEST_F(ReducedMotionSettingTest, KdeInstantAnimationsAreReadFromTheirGroupOnly)
{
    for (const auto &[contents, reduced] :
        std::vector<std::pair<QByteArray, bool>> { { "[KDE]\nAnimationDurationFactor=0\n", true },
            { "[General]\nX=1\n\n[KDE]\n  AnimationDurationFactor = 0 \n[WM]\nY=2\n", true },
            { "[KDE][$i]\nAnimationDurationFactor[$i]=0\n", true },
            { "[KDE]\nAnimationDurationFactor=0.5\n", false },
            { "[KDE]\nAnimationDurationFactor=fast\n", false },
            { "[General]\nAnimationDurationFactor=0\n", false },
            { "[KDE]\n#AnimationDurationFactor=0\n", false },
            { "[KDE]\nAnimationDurationFactor=0\nAnimationDurationFactor=1\n", false },
            { "[KDE]\nAnimationDurationFactor=1\nAnimationDurationFactor=0\n", true } }) {
        writeKdeglobals(contents);
        EXPECT_EQ(ReducedMotionSetting().reduceMotion(), reduced) << contents.toStdString();
    }
    QFile::remove(kdeglobals());
    EXPECT_FALSE(ReducedMotionSetting().reduceMotion());
}

TEST_F(ReducedMotionSettingTest, FollowsKdeglobalsAsItIsCreatedReplacedRewrittenAndRemoved)
{
    ReducedMotionSetting setting;
    QSignalSpy changes(&setting, &ReducedMotionSetting::reduceMotionChanged);
    ASSERT_FALSE(setting.reduceMotion());

    const std::vector<std::pair<std::function<void()>, bool>> steps {
        { [] { writeKdeglobals("[KDE]\nAnimationDurationFactor=0\n"); }, true },
        { [] { writeKdeglobals("[KDE]\nAnimationDurationFactor=1\n"); }, false },
        { [] {
             // Written in place, as a plain editor does.
             QFile file(kdeglobals());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("[KDE]\nAnimationDurationFactor=0\n");
         },
            true },
        { [] { QFile::remove(kdeglobals()); }, false },
    };
    QList<bool> expected;
    for (const auto &[change, reduced] : steps) {
        change();
        expected.append(reduced);
        EXPECT_TRUE(processEventsUntil([&, reduced = reduced] { return setting.reduceMotion() == reduced; }))
            << "step " << expected.size();
    }
    QList<bool> announced;
    for (const auto &arguments : changes) {
        announced.append(arguments.at(0).toBool());
    }
    EXPECT_EQ(announced, expected);
}

TEST_F(ReducedMotionSettingTest, FollowsGnomeAnimationsAndReadsThemWhenMade)
{
    setGnomeAnimations(false);
    // This process's store hears of the other program's write on a later turn of the loop.
    EXPECT_TRUE(processEventsUntil([] { return ReducedMotionSetting().reduceMotion(); }));

    ReducedMotionSetting setting;
    QSignalSpy changes(&setting, &ReducedMotionSetting::reduceMotionChanged);
    setGnomeAnimations(true);
    EXPECT_TRUE(processEventsUntil([&] { return !setting.reduceMotion(); }));
    setGnomeAnimations(false);
    EXPECT_TRUE(processEventsUntil([&] { return setting.reduceMotion(); }));
    ASSERT_EQ(changes.count(), 2);
    EXPECT_FALSE(changes.at(0).at(0).toBool());
    EXPECT_TRUE(changes.at(1).at(0).toBool());

    // Either desktop asking is enough; KDE's request stays when GNOME's ends.
    writeKdeglobals("[KDE]\nAnimationDurationFactor=0\n");
    setGnomeAnimations(true);
    processEventsUntil([&] { return changes.count() > 2; }, std::chrono::milliseconds(500));
    EXPECT_TRUE(setting.reduceMotion());
    EXPECT_EQ(changes.count(), 2);
}

} // namespace
