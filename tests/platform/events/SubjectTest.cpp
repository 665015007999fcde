#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include "Recorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
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

TEST(Reentrancy, CancellingDuringDeliveryStopsThatSubscriberAtOnceAndSkipsNoOther)
{
    PassthroughSubject<int> subject;
    std::vector<std::string> log;
    AnyCancellable self, victim;
    auto before = subject.sink([&](int v) { log.push_back("before " + std::to_string(v)); });
    self = subject.sink([&](int v) {
        log.push_back("self " + std::to_string(v));
        self.cancel();
        victim.cancel();
    });
    victim = subject.sink([&](int v) { log.push_back("victim " + std::to_string(v)); });
    auto after = subject.sink([&](int v) { log.push_back("after " + std::to_string(v)); });
    subject.send(1);
    subject.send(2);
    EXPECT_EQ(log, (std::vector<std::string> { "before 1", "self 1", "after 1", "before 2", "after 2" }));

    // Even by destroying the handler's own subscription while it runs.
    auto owned = std::make_unique<AnyCancellable>();
    std::vector<int> received;
    *owned = subject.sink([&](int v) {
        owned.reset();
        received.push_back(v);
    });
    subject.send(3);
    subject.send(4);
    EXPECT_EQ(received, (std::vector { 3 }));
}

TEST(Reentrancy, NestedSendIsDeliveredToEveryoneAfterTheCurrentValue)
{
    PassthroughSubject<int> subject;
    std::vector<std::string> log;
    auto echo = subject.sink([&](int v) {
        log.push_back("echo got " + std::to_string(v));
        if (v < 3) {
            subject.send(v + 1);
            log.push_back("echo sent " + std::to_string(v + 1));
        }
    });
    auto other = subject.sink([&](int v) { log.push_back("other got " + std::to_string(v)); });
    subject.send(1);
    EXPECT_EQ(log,
        (std::vector<std::string> { "echo got 1", "echo sent 2", "other got 1", "echo got 2", "echo sent 3",
            "other got 2", "echo got 3", "other got 3" }));

    // A current-value subject holds the nested value at once.
    CurrentValueSubject<int> current(0);
    std::optional<int> seenDuringDelivery;
    auto c = current.sink([&](int v) {
        if (v == 1) {
            current.send(2);
            seenDuringDelivery = current.value();
        }
    });
    current.send(1);
    EXPECT_EQ(seenDuringDelivery, 2);
    EXPECT_EQ(current.value(), 2);
}

// A passthrough subscriber added during delivery starts with the next value; a current-value one
// gets the value being delivered, after everyone else.
TEST(Reentrancy, SubscribingDuringDeliveryStartsAfterTheCurrentValue)
{
    CurrentValueSubject<int> subject(0);
    std::vector<std::string> log;
    std::optional<AnyCancellable> lateSubscription;
    auto first = subject.sink([&](int v) {
        log.push_back("first " + std::to_string(v));
        if (v == 1 && !lateSubscription) {
            lateSubscription = subject.sink([&](int w) { log.push_back("late " + std::to_string(w)); });
        }
    });
    auto second = subject.sink([&](int v) { log.push_back("second " + std::to_string(v)); });
    subject.send(1);
    subject.send(2);
    EXPECT_EQ(log,
        (std::vector<std::string> {
            "first 0", "second 0", "first 1", "second 1", "late 1", "first 2", "second 2", "late 2" }));

    PassthroughSubject<int> passthrough;
    std::vector<int> late;
    std::optional<AnyCancellable> passthroughLate;
    auto c = passthrough.sink([&](int) {
        if (!passthroughLate) {
            passthroughLate = passthrough.sink([&](int v) { late.push_back(v); });
        }
    });
    passthrough.send(1);
    passthrough.send(2);
    EXPECT_EQ(late, (std::vector { 2 }));
}

TEST(Reentrancy, CompletionSentDuringDeliveryComesAfterTheCurrentValue)
{
    PassthroughSubject<int> subject;
    std::vector<std::string> log;
    auto a = subject.sink([&](const Completion<Never> &) { log.push_back("a end"); },
        [&](int v) {
            log.push_back("a " + std::to_string(v));
            subject.send(Completion<Never>::finished());
            subject.send(v + 1);
        });
    auto b = subject.sink([&](const Completion<Never> &) { log.push_back("b end"); },
        [&](int v) { log.push_back("b " + std::to_string(v)); });
    subject.send(1);
    EXPECT_EQ(log, (std::vector<std::string> { "a 1", "b 1", "a end", "b end" }));
}

TEST(Reentrancy, SubjectDestroyedByItsOwnSubscriberFinishesTheDelivery)
{
    auto subject = std::make_unique<PassthroughSubject<int>>();
    int others = 0;
    auto destroyer = subject->sink([&](int) { subject.reset(); });
    auto other = subject->sink([&](int) { ++others; });
    subject->send(1);
    EXPECT_EQ(subject, nullptr);
    EXPECT_EQ(others, 1);
}

TEST(Reentrancy, CancellingThroughAnOperatorChainDuringDelivery)
{
    CurrentValueSubject<int> subject(0);
    std::vector<int> received;
    AnyCancellable chain;
    chain = subject.map([](int v) { return v * 2; }).removeDuplicates().sink([&](int v) {
        received.push_back(v);
        if (v == 4) {
            chain = AnyCancellable();
        }
    });
    subject.send(1);
    subject.send(2);
    subject.send(3);
    EXPECT_EQ(received, (std::vector { 0, 2, 4 }));
}
