#include "platform/desktop/ReducedMotionSetting.h"
#include "platform/desktop/GLibIncludes.h"

#pragma push_macro("signals")
#undef signals
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#pragma pop_macro("signals")

#include "Command.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "ScopedEnv.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace Qt::StringLiterals;
using TestSupport::processEventsUntil;

// GSettings kept in the test's own home, where a `gsettings` run changes it as another program would.
class ReducedMotionSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_STREQ(G_OBJECT_TYPE_NAME(g_settings_backend_get_default()), "GKeyfileSettingsBackend");
        QFile::remove(kdeglobals());
    }

    static QString kdeglobals()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/kdeglobals");
    }

    // KDE puts a new file in place of the old one; a plain editor writes it in place.
    static void writeKdeglobals(const QByteArray &contents, bool inPlace = false)
    {
        const QString written
            = TestSupport::writeFile(kdeglobals() + (inPlace ? u""_s : u".new"_s), contents);
        ASSERT_TRUE(inPlace || std::rename(qPrintable(written), qPrintable(kdeglobals())) == 0);
    }

    static void setGnomeAnimations(bool enabled)
    {
        const auto result = TestSupport::runCommand(u"gsettings"_s,
            { u"set"_s, u"org.gnome.desktop.interface"_s, u"enable-animations"_s,
                enabled ? u"true"_s : u"false"_s });
        ASSERT_TRUE(result.succeeded()) << result.describe().toStdString();
    }

    TestSupport::ScopedEnv m_backend { "GSETTINGS_BACKEND", QStringLiteral("keyfile") };
};

QList<bool> announced(const QSignalSpy &changes)
{
    QList<bool> values;
    for (const auto &arguments : changes) {
        values.append(arguments.at(0).toBool());
    }
    return values;
}

// Each step flips the answer, so that each is seen to be read.
TEST_F(ReducedMotionSettingTest, FollowsKdeInstantAnimationsInTheirGroupOnlyAsTheFileChanges)
{
    ReducedMotionSetting setting;
    QSignalSpy changes(&setting, &ReducedMotionSetting::reduceMotionChanged);
    const std::tuple<QByteArray, bool, bool> steps[] = {
        { "[General]\nX=1\n\n[KDE]\n  AnimationDurationFactor = 0 \n[WM]\n", false, true },
        { "[KDE]\nAnimationDurationFactor=0.5\n", false, false },
        { "[KDE][$i]\nAnimationDurationFactor[$i]=0\n", true, true },
        { "[KDE]\nAnimationDurationFactor=fast\n", false, false },
        { "[KDE]\nAnimationDurationFactor=1\nAnimationDurationFactor=0\n", false, true },
        { "[General]\nAnimationDurationFactor=0\n", true, false },
        { "[KDE]\nAnimationDurationFactor=0\n", false, true },
    };
    for (const auto &[contents, inPlace, reduced] : steps) {
        writeKdeglobals(contents, inPlace);
        EXPECT_TRUE(processEventsUntil([&, reduced = reduced] { return setting.reduceMotion() == reduced; }))
            << contents.toStdString();
        EXPECT_EQ(ReducedMotionSetting().reduceMotion(), reduced) << "read when made";
    }
    QFile::remove(kdeglobals());
    EXPECT_TRUE(processEventsUntil([&] { return !setting.reduceMotion(); }));
    EXPECT_EQ(announced(changes), (QList<bool> { true, false, true, false, true, false, true, false }));
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

    // Either desktop asking is enough; KDE's request stays when GNOME's ends.
    writeKdeglobals("[KDE]\nAnimationDurationFactor=0\n");
    setGnomeAnimations(true);
    processEventsUntil([&] { return changes.count() > 2; }, std::chrono::milliseconds(500));
    EXPECT_TRUE(setting.reduceMotion());
    EXPECT_EQ(announced(changes), (QList<bool> { false, true }));
}

} // namespace
