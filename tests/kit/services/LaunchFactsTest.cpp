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

    EXPECT_EQ(UserDefaults::suite("launch-test")->object("Kw_launchCount"), PropertyValue(std::int64_t(2)));
    EXPECT_TRUE(UserDefaults::suite("launch-test")->object("Kw_firstLaunchDate"));
}

TEST_F(LaunchFactsTest, KeyChordsHeldAtLaunchAreHandedOnWhenTheModifiersMatchExactly)
{
    using Chord = KwKit::LaunchChord;
    const Qt::KeyboardModifiers support = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    start(support);
    start(support | Qt::MetaModifier);
    start(Qt::ShiftModifier | Qt::ControlModifier);
    start();
    EXPECT_EQ(chords, (std::vector { Chord::SupportWindow, Chord::DeleteAllData }));
    EXPECT_EQ(KwKit::launchChord(support | Qt::KeypadModifier), Chord::SupportWindow);
    EXPECT_EQ(KwKit::launchChord(Qt::ShiftModifier | Qt::AltModifier), Chord::None);
    EXPECT_EQ(KwKit::launchChord(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier), Chord::None);

    // The debug modifier is Shift and Control alone, too.
    EXPECT_TRUE(KwApp::isDebugModifier(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier));
    EXPECT_FALSE(KwApp::isDebugModifier(support));
    EXPECT_FALSE(KwApp::isDebugModifier(Qt::ControlModifier));
}

TEST_F(LaunchFactsTest, RunOnceAnswersTrueOncePerKey)
{
    // A real restart is checked where the program shows its one-time tip.
    auto database = UserDefaults::suite("run-once-test");
    EXPECT_TRUE(KwApp::runOnce("tip", database));
    EXPECT_FALSE(KwApp::runOnce("tip", database));
    EXPECT_TRUE(KwApp::runOnce("other", database));
}

TEST_F(LaunchFactsTest, RequestReviewCountsEveryCallAndOffersNothingOnTheFirstLaunch)
{
    ASSERT_TRUE(KwApp::isFirstLaunch());
    // The standard settings outlive each test's home.
    UserDefaults::standard()->removeObject("Kw_requestReviewCount");
    for (int call = 0; call < 3; ++call) {
        KwApp::requestReview({ 1, 2 });
    }
    EXPECT_EQ(UserDefaults::standard()->object("Kw_requestReviewCount"), PropertyValue(std::int64_t(3)));
    // Not offered, so the once-only offer is still unspent.
    EXPECT_FALSE(UserDefaults::standard()->object("Kw_App_runOnce__requestReview"));
}
