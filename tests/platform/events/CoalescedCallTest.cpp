#include "platform/events/CoalescedCall.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <utility>

namespace {

// A context that owns its call, as the status items and the menu exporter do.
class Owner : public QObject
{
public:
    int runs = 0;
    // Set to schedule once more from inside the call.
    bool scheduleAgain = false;
    CoalescedCall call { this, [this] {
                            ++runs;
                            if (std::exchange(scheduleAgain, false)) {
                                call.schedule();
                            }
                        } };
};

TEST(CoalescedCallTest, RunsOnceOnTheNextTurnHoweverOftenItWasAskedFor)
{
    const struct
    {
        const char *what;
        int schedules;
        bool scheduleAgain;
        int runsAfterOneTurn;
        int runsAfterTwoTurns;
    } cases[] = {
        { "never asked", 0, false, 0, 0 },
        { "asked once", 1, false, 1, 1 },
        { "asked three times", 3, false, 1, 1 },
        { "asked again while running", 2, true, 1, 2 },
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        Owner owner;
        owner.scheduleAgain = test.scheduleAgain;
        for (int i = 0; i < test.schedules; ++i) {
            owner.call.schedule();
        }
        EXPECT_EQ(owner.runs, 0) << "ran in the turn that asked";
        QCoreApplication::sendPostedEvents(&owner);
        EXPECT_EQ(owner.runs, test.runsAfterOneTurn);
        QCoreApplication::sendPostedEvents(&owner);
        EXPECT_EQ(owner.runs, test.runsAfterTwoTurns);
    }
}

TEST(CoalescedCallTest, APendingCallIsDroppedWithItsContext)
{
    int runs = 0;
    {
        // Declared in the order of a member's: the call goes first, then its context.
        QObject context;
        CoalescedCall call(&context, [&] { ++runs; });
        call.schedule();
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(runs, 0);
}

} // namespace
