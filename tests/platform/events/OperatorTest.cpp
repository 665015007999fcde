#include "platform/events/CurrentValueSubject.h"
#include "platform/events/PassthroughSubject.h"

#include "Recorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

using namespace Events;

using EventsTest::Failure;
using EventsTest::Recorder;

TEST(Operators, EachOperatorPassesTheValuesItShouldInOrder)
{
    struct Case
    {
        const char *what;
        std::function<AnyPublisher<int>(const AnyPublisher<int> &)> apply;
        std::vector<int> sent;
        std::vector<int> expected;
    };
    const Case cases[] = {
        { "filter", [](const auto &p) { return p.filter([](int v) { return v % 2 == 0; }); },
            { 1, 2, 3, 4, 5, 6 }, { 2, 4, 6 } },
        { "removeDuplicates drops only consecutive repeats",
            [](const auto &p) { return p.removeDuplicates(); }, { 1, 1, 2, 2, 2, 1, 3, 3 }, { 1, 2, 1, 3 } },
        // Each value is compared with the one received just before it, so a slow drift never passes.
        { "removeDuplicates with a predicate",
            [](const auto &p) {
                return p.removeDuplicates([](int a, int b) { return std::abs(a - b) < 5; });
            },
            { 10, 13, 16, 19, 30 }, { 10, 30 } },
        { "dropFirst", [](const auto &p) { return p.dropFirst(); }, { 1, 2, 3 }, { 2, 3 } },
        { "dropFirst(0)", [](const auto &p) { return p.dropFirst(0); }, { 1, 2 }, { 1, 2 } },
        { "dropFirst(3)", [](const auto &p) { return p.dropFirst(3); }, { 1, 2, 3, 4 }, { 4 } },
        { "map of Void takes no argument",
            [](const auto &p) { return p.map([](int) { return Void {}; }).map([] { return 1; }); }, { 7, 8 },
            { 1, 1 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PassthroughSubject<int> subject;
        // Two subscribers, since each keeps its own state.
        Recorder<int, Never> first, second;
        const AnyPublisher<int> published = c.apply(subject.eraseToAnyPublisher());
        auto a = first.attach(published);
        auto b = second.attach(published);
        for (int v : c.sent) {
            subject.send(v);
        }
        EXPECT_EQ(first.values, c.expected);
        EXPECT_EQ(second.values, c.expected);
    }
}

TEST(Operators, ReplaceErrorTurnsAFailureIntoOneValueAndAFinishAndAddsNothingToAFinish)
{
    for (const bool fails : { true, false }) {
        SCOPED_TRACE(fails);
        PassthroughSubject<int, Failure> subject;
        Recorder<int, Never> recorder;
        auto c = recorder.attach(subject.replaceError(-1));
        subject.send(4);
        subject.send(fails ? Completion<Failure>::failure({ "broken" }) : Completion<Failure>::finished());
        EXPECT_EQ(recorder.values, (fails ? std::vector { 4, -1 } : std::vector { 4 }));
        ASSERT_EQ(recorder.completions.size(), 1U);
        EXPECT_TRUE(recorder.completions.front().isFinished());
    }
}

// The end of a recording as a result: success, or the failure's error.
using StopResult = std::variant<std::monostate, std::string>;

TEST(Operators, CatchErrorBuildsTheReplacementFromTheError)
{
    PassthroughSubject<Void, Failure> didStop;
    auto results = didStop.map([] { return StopResult {}; })
                       .catchError([](const Failure &failure) { return StopResult { failure.reason }; })
                       .eraseToAnyPublisher();

    Recorder<StopResult, Never> success;
    auto a = success.attach(results);
    didStop.send();
    ASSERT_EQ(success.values.size(), 1U);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(success.values.front()));

    Recorder<StopResult, Never> failure;
    auto b = failure.attach(results);
    didStop.send(Completion<Failure>::failure({ "encoder stopped" }));
    ASSERT_EQ(failure.values.size(), 1U);
    EXPECT_EQ(std::get<std::string>(failure.values.front()), "encoder stopped");
    ASSERT_EQ(failure.completions.size(), 1U);
    EXPECT_TRUE(failure.completions.front().isFinished());
}

TEST(Operators, ChainAppliesEachStepInOrder)
{
    CurrentValueSubject<int> subject(1);
    Recorder<std::string, Never> recorder;
    auto c = recorder.attach(subject.map([](int v) { return v / 2; })
                                 .removeDuplicates()
                                 .dropFirst()
                                 .filter([](int v) { return v != 3; })
                                 .map([](int v) { return std::to_string(v); }));
    for (int v : { 1, 2, 3, 4, 5, 6, 7, 8 }) {
        subject.send(v);
    }
    // halves: 0 (replay) 0 1 1 2 2 3 3 4 -> distinct 0 1 2 3 4 -> drop the replayed 0 -> without 3
    EXPECT_EQ(recorder.values, (std::vector<std::string> { "1", "2", "4" }));
}

TEST(AnyPublisher, CustomPublisherIsSubscribedOncePerSubscriberAndCancelledWithIt)
{
    int subscriptions = 0;
    int cancellations = 0;
    AnyPublisher<int> counting([&](Subscriber<int, Never> subscriber) {
        ++subscriptions;
        subscriber.receiveValue(subscriptions);
        return AnyCancellable([&cancellations] { ++cancellations; });
    });
    Recorder<int, Never> first;
    Recorder<int, Never> second;
    {
        auto a = first.attach(counting.map([](int v) { return v * 100; }));
        auto b = second.attach(counting.dropFirst(0).receiveOnMain().filter([](int) { return true; }));
        EXPECT_EQ(subscriptions, 2);
        EXPECT_EQ(cancellations, 0);
        a.cancel();
        EXPECT_EQ(cancellations, 1);
    }
    EXPECT_EQ(cancellations, 2) << "destroying the last cancellable ends the custom subscription";
    EXPECT_EQ(first.values, (std::vector { 100 }));
}

TEST(Merge, InterleavesValuesAndFinishesOnlyAfterBothFinished)
{
    PassthroughSubject<int> left;
    CurrentValueSubject<int> right(100);
    Recorder<int, Never> recorder;
    auto c = recorder.attach(left.merge(right));
    EXPECT_EQ(recorder.values, (std::vector { 100 })) << "a replayed value comes through at once";
    left.send(1);
    right.send(101);
    left.send(Completion<Never>::finished());
    EXPECT_TRUE(recorder.completions.empty());
    right.send(102);
    right.send(Completion<Never>::finished());

    EXPECT_EQ(recorder.values, (std::vector { 100, 1, 101, 102 }));
    EXPECT_EQ(recorder.completions.size(), 1U);
}

TEST(Merge, FailsWithTheFirstFailure)
{
    PassthroughSubject<int, Failure> left;
    PassthroughSubject<int, Failure> right;
    Recorder<int, Failure> recorder;
    auto c = recorder.attach(left.merge(right));
    left.send(1);
    right.send(Completion<Failure>::failure({ "right broke" }));
    left.send(2);
    left.send(Completion<Failure>::failure({ "left broke" }));

    EXPECT_EQ(recorder.values, (std::vector { 1 }));
    ASSERT_EQ(recorder.completions.size(), 1U);
    EXPECT_EQ(recorder.completions.front().error().reason, "right broke");
}

TEST(Merge, OntoAnEmptyPublisherThatNeverCompletes)
{
    PassthroughSubject<Void> key;
    auto merged = AnyPublisher<Void>::empty(false).merge(key);
    Recorder<Void, Never> recorder;
    auto c = recorder.attach(merged);
    key.send();
    key.send(Completion<Never>::finished());
    EXPECT_EQ(recorder.values.size(), 1U);
    EXPECT_TRUE(recorder.completions.empty()) << "the empty side never finishes";

    Recorder<Void, Never> alone;
    auto d = alone.attach(AnyPublisher<Void>::empty(false));
    EXPECT_TRUE(alone.values.empty());
    EXPECT_TRUE(alone.completions.empty());

    Recorder<Void, Never> finishing;
    auto e = finishing.attach(AnyPublisher<Void>::empty());
    EXPECT_EQ(finishing.completions.size(), 1U);
}

TEST(Merge, CancellingReleasesBothSources)
{
    PassthroughSubject<int> left;
    PassthroughSubject<int> right;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    int received = 0;
    auto c = left.merge(right).sink([token, &received](int) { ++received; });
    token.reset();
    c.cancel();
    left.send(1);
    right.send(2);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(watch.expired());
}
