#include "TemporaryConfigHome.h"

#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"

#include "platform/userdefaults/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

class LaunchFactsTest : public ::testing::Test
{
protected:
    // One start of the program: a fresh database object over the same file, as a new process has.
    KwKit start(Qt::KeyboardModifiers held = Qt::NoModifier)
    {
        std::shared_ptr<UserDefaults> database = UserDefaults::suite("launch-test");
        return KwKit({ database, [held] { return held; },
            [this](KwKit::LaunchChord chord) { chords.push_back(chord); } });
    }

    TemporaryConfigHome home;
    std::vector<KwKit::LaunchChord> chords;
};

} // namespace

TEST_F(LaunchFactsTest, CountsLaunchesAcrossStartsAndKeepsTheFirstDate)
{
    const KwKit first = start();
    EXPECT_EQ(first.launchCount(), 1);
    EXPECT_TRUE(first.isFirstLaunch());
    EXPECT_LE(qAbs(first.firstLaunchDate().secsTo(QDateTime::currentDateTimeUtc())), 5);

    const KwKit second = start();
    EXPECT_EQ(second.launchCount(), 2);
    EXPECT_FALSE(second.isFirstLaunch());
    EXPECT_EQ(second.firstLaunchDate(), first.firstLaunchDate());

    const auto stored = UserDefaults::suite("launch-test")->object("Kw_launchCount");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->exactNumber<int>(), 2);
    EXPECT_TRUE(UserDefaults::suite("launch-test")->object("Kw_firstLaunchDate"));
}

TEST_F(LaunchFactsTest, RegistersCrashOnExceptionsWithoutStoringIt)
{
    // Registered defaults live in memory, as long as the database object.
    auto database = UserDefaults::suite("launch-test");
    start();
    ASSERT_TRUE(database->object("NSApplicationCrashOnExceptions"));
    EXPECT_EQ(database->object("NSApplicationCrashOnExceptions")->exactNumber<bool>(), true);
    database->removeAll();
    EXPECT_TRUE(database->object("NSApplicationCrashOnExceptions"));
}

TEST_F(LaunchFactsTest, KeyChordsHeldAtLaunchAreHandedOn)
{
    start(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    start(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    start(Qt::ShiftModifier | Qt::ControlModifier);
    start();
    EXPECT_EQ(chords, (std::vector { KwKit::LaunchChord::SupportWindow, KwKit::LaunchChord::DeleteAllData }));
}

TEST(LaunchChord, MatchesTheModifiersExactly)
{
    const Qt::KeyboardModifiers support = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    EXPECT_EQ(KwKit::launchChord(support), KwKit::LaunchChord::SupportWindow);
    EXPECT_EQ(KwKit::launchChord(support | Qt::KeypadModifier), KwKit::LaunchChord::SupportWindow);
    EXPECT_EQ(KwKit::launchChord(support | Qt::MetaModifier), KwKit::LaunchChord::DeleteAllData);
    EXPECT_EQ(KwKit::launchChord(Qt::ShiftModifier | Qt::AltModifier), KwKit::LaunchChord::None);
    EXPECT_EQ(KwKit::launchChord(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
        KwKit::LaunchChord::None);
    EXPECT_EQ(KwKit::launchChord(Qt::NoModifier), KwKit::LaunchChord::None);

    // The debug modifier is Shift and Control alone, too.
    EXPECT_TRUE(KwApp::isDebugModifier(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier));
    EXPECT_FALSE(KwApp::isDebugModifier(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    EXPECT_FALSE(KwApp::isDebugModifier(Qt::ControlModifier));
}

TEST_F(LaunchFactsTest, RunOnceAnswersTrueOnceAcrossRestarts)
{
    {
        auto database = UserDefaults::suite("run-once-test");
        EXPECT_TRUE(KwApp::runOnce(QStringLiteral("tip"), database));
        EXPECT_FALSE(KwApp::runOnce(QStringLiteral("tip"), database));
        EXPECT_TRUE(KwApp::runOnce(QStringLiteral("other"), database));
        EXPECT_EQ(database->object("Kw_App_runOnce__tip")->exactNumber<bool>(), true);
    }
    auto restarted = UserDefaults::suite("run-once-test");
    EXPECT_FALSE(KwApp::runOnce(QStringLiteral("tip"), restarted));
    EXPECT_FALSE(KwApp::runOnce(QStringLiteral("other"), restarted));
    EXPECT_TRUE(KwApp::runOnce(QStringLiteral("new"), restarted));
}
