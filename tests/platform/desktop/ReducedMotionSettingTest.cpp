#include "platform/desktop/ReducedMotionSetting.h"

#include "Command.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "LonelyFifo.h"
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
    void SetUp() override { QFile::remove(kdeglobals()); }
    // The home is the process's: a FIFO put in place of the file must not outlive its test.
    void TearDown() override { QFile::remove(kdeglobals()); }

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

// Each step flips the answer, so that each is seen to be read, live and by a new reader.
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
    qsizetype flips = 0;
    for (const auto &[contents, inPlace, reduced] : steps) {
        writeKdeglobals(contents, inPlace);
        EXPECT_TRUE(processEventsUntil([&, reduced = reduced] { return setting.reduceMotion() == reduced; }))
            << contents.toStdString();
        EXPECT_EQ(ReducedMotionSetting().reduceMotion(), reduced);
        ASSERT_EQ(changes.count(), ++flips);
        EXPECT_EQ(changes.last().at(0).toBool(), reduced);
    }
    QFile::remove(kdeglobals());
    EXPECT_TRUE(processEventsUntil([&] { return !setting.reduceMotion(); }));
    EXPECT_EQ(changes.count(), flips + 1);
}

// A FIFO put in place of the file, which nothing writes to, reads as no file, without waiting.
TEST_F(ReducedMotionSettingTest, AFifoInPlaceOfTheFileIsNotWaitedFor)
{
    writeKdeglobals("[KDE]\nAnimationDurationFactor=0\n");
    ReducedMotionSetting setting;
    ASSERT_TRUE(setting.reduceMotion());
    // Under a name of its own too, so that the test can free a reader that waits.
    const TestSupport::LonelyFifo fifo(kdeglobals() + u".fifo"_s);
    ASSERT_TRUE(fifo.made());
    ASSERT_EQ(::link(qPrintable(kdeglobals() + u".fifo"_s), qPrintable(kdeglobals() + u".new"_s)), 0);
    ASSERT_EQ(std::rename(qPrintable(kdeglobals() + u".new"_s), qPrintable(kdeglobals())), 0);
    bool followed = false;
    bool readAfresh = false;
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
        followed = processEventsUntil([&] { return !setting.reduceMotion(); });
        readAfresh = !ReducedMotionSetting().reduceMotion();
    }));
    EXPECT_TRUE(followed && readAfresh);
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
    EXPECT_EQ(changes.count(), 2) << "not again for KDE";
    EXPECT_TRUE(changes.last().at(0).toBool());
}

} // namespace
