#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include "Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Events;

using EventsTest::Failure;
using EventsTest::Recorder;

TEST(Subject, DeliversValuesSentAfterSubscribingToEverySubscriber)
{
    PassthroughSubject<int> subject;
    subject.send(1);
    Recorder<int, Never> first;
    Recorder<int, Never> second;
    auto a = first.attach(subject);
    subject.send(2);
    auto b = second.attach(subject);
    subject.send(3);

    EXPECT_EQ(first.values, (std::vector { 2, 3 }));
    EXPECT_EQ(second.values, (std::vector { 3 }));

    // A current-value subject replays its value at once to each new subscriber.
    CurrentValueSubject<std::string> state("stopped");
    Recorder<std::string, Never> early;
    auto c = early.attach(state);
    ASSERT_EQ(early.values, (std::vector<std::string> { "stopped" }));
    state.send("recording");
    EXPECT_EQ(state.value(), "recording");
    Recorder<std::string, Never> late;
    auto d = late.attach(state);
    EXPECT_EQ(early.values, (std::vector<std::string> { "stopped", "recording" }));
    EXPECT_EQ(late.values, (std::vector<std::string> { "recording" }));
}

// A completion ends delivery, comes once, and reaches late subscribers too, who get no value.
TEST(Subject, ACompletionEndsDeliveryOnceAndReachesLateSubscribers)
{
    CurrentValueSubject<int, Failure> subject(0);
    Recorder<int, Failure> early;
    auto a = early.attach(subject);
    subject.send(Completion<Failure>::failure({ "disk full" }));
    subject.send(5);
    subject.send(Completion<Failure>::finished());
    EXPECT_EQ(early.values, (std::vector { 0 }));
    EXPECT_EQ(subject.value(), 0);
    Recorder<int, Failure> late;
    auto b = late.attach(subject);
    EXPECT_TRUE(late.values.empty());
    for (const auto *recorder : { &early, &late }) {
        ASSERT_EQ(recorder->completions.size(), 1U);
        ASSERT_TRUE(recorder->completions.front().isFailure());
        EXPECT_EQ(recorder->completions.front().error().reason, "disk full");
    }

    PassthroughSubject<Void> finished;
    Recorder<Void, Never> recorder;
    auto c = recorder.attach(finished);
    finished.send();
    finished.send(Completion<Never>::finished());
    finished.send();
    EXPECT_EQ(recorder.values.size(), 1U);
    ASSERT_EQ(recorder.completions.size(), 1U);
    EXPECT_TRUE(recorder.completions.front().isFinished());
}
