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

TEST(Subject, FinishedCompletionEndsDeliveryAndReachesLateSubscribers)
{
    CurrentValueSubject<int> subject(0);
    Recorder<int, Never> early;
    auto a = early.attach(subject);
    subject.send(Completion<Never>::finished());
    subject.send(5);
    subject.send(Completion<Never>::finished());

    EXPECT_EQ(early.values, (std::vector { 0 }));
    ASSERT_EQ(early.completions.size(), 1U);
    EXPECT_TRUE(early.completions.front().isFinished());
    EXPECT_EQ(subject.value(), 0);

    Recorder<int, Never> late;
    auto b = late.attach(subject);
    EXPECT_TRUE(late.values.empty()) << "a completed subject replays no value";
    ASSERT_EQ(late.completions.size(), 1U);
    EXPECT_TRUE(late.completions.front().isFinished());
}

TEST(Subject, FailureCarriesItsError)
{
    PassthroughSubject<Void, Failure> subject;
    Recorder<Void, Failure> recorder;
    auto a = recorder.attach(subject);
    subject.send();
    subject.send(Completion<Failure>::failure({ "disk full" }));
    subject.send(Completion<Failure>::finished());
    subject.send();

    EXPECT_EQ(recorder.values.size(), 1U);
    ASSERT_EQ(recorder.completions.size(), 1U);
    ASSERT_TRUE(recorder.completions.front().isFailure());
    EXPECT_EQ(recorder.completions.front().error().reason, "disk full");

    Recorder<Void, Failure> late;
    auto b = late.attach(subject);
    ASSERT_EQ(late.completions.size(), 1U);
    EXPECT_EQ(late.completions.front().error().reason, "disk full");
}
