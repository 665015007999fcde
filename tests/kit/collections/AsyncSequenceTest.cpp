#include "kit/collections/AnyAsyncSequence.h"
#include "kit/collections/AsyncSequenceSink.h"
#include "kit/collections/AsyncSequenceValue.h"
#include "kit/collections/MergeAsyncSequence.h"
#include "kit/collections/PassthroughAsyncSequence.h"
#include "kit/collections/RemoveDuplicatesAsyncSequence.h"

#include "EventLoop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoroTask>
#include <QCoroTimer>
#include <QThread>

#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Ints = std::vector<int>;
using namespace std::chrono_literals;

// The values, then the error when there is one.
AnyAsyncSequence<int> sequenceOf(Ints values, std::optional<std::string> error = std::nullopt)
{
    return AnyAsyncSequence<int>::fromGenerator([values, error]() -> QCoro::AsyncGenerator<int> {
        for (int value : values) {
            co_yield value;
        }
        if (error) {
            throw std::runtime_error(*error);
        }
    });
}

struct Collected
{
    Ints elements;
    std::optional<std::string> error;
    bool ended = false;
};

// Collects in the background, so that a test can look at what arrived so far.
template<AsyncSequence S>
QCoro::Task<> collectInto(S sequence, std::shared_ptr<Collected> collected)
{
    try {
        auto iterator = sequence.makeAsyncIterator();
        while (const auto element = co_await iterator.next()) {
            collected->elements.push_back(*element);
        }
    } catch (const std::exception &error) {
        collected->error = error.what();
    }
    collected->ended = true;
}

template<AsyncSequence S>
std::shared_ptr<Collected> collect(S sequence)
{
    auto collected = std::make_shared<Collected>();
    collectInto(std::move(sequence), collected);
    return collected;
}

template<AsyncSequence S>
Collected collectAll(S sequence)
{
    auto collected = collect(std::move(sequence));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return collected->ended; }));
    return *collected;
}

// Waits for elements fed by hand; tells when its iterator is cancelled.
template<typename T>
struct SilentCancellable
{
    using Element = T;
    PassthroughAsyncSequence<T> stream;
    std::shared_ptr<bool> cancelled = std::make_shared<bool>(false);

    struct AsyncIterator
    {
        AsyncChannelIterator<T> base;
        std::shared_ptr<bool> cancelled;
        AsyncChannelNext<T> next() { return base.next(); }
        std::function<void()> canceller() const
        {
            return [end = base.canceller(), cancelled = cancelled] {
                *cancelled = true;
                end();
            };
        }
    };
    AsyncIterator makeAsyncIterator() const { return { stream.makeAsyncIterator(), cancelled }; }
};

// Makes an element every 2 ms for as long as it is read; released() once its generator is gone.
template<typename T>
struct BusyGenerator
{
    explicit BusyGenerator(std::function<T(int)> make)
        : sequence(AnyAsyncSequence<T>::fromGenerator([frame = frame, make]() -> QCoro::AsyncGenerator<T> {
            const auto alive = std::make_shared<int>(0);
            *frame = alive;
            for (int tick = 0;; ++tick) {
                co_await QCoro::sleepFor(2ms);
                co_yield make(tick);
            }
        }))
    { }

    bool released() const { return *frame && (*frame)->expired(); }

    std::shared_ptr<std::optional<std::weak_ptr<int>>> frame
        = std::make_shared<std::optional<std::weak_ptr<int>>>();
    AnyAsyncSequence<T> sequence;
};

} // namespace

TEST(RemoveDuplicatesAsyncSequence, ComparesWithTheElementJustBefore)
{
    struct Case
    {
        Ints input;
        bool loose;
        Ints expected;
    };
    const Case cases[] = {
        { { 1, 1, 2, 2, 2, 1 }, false, { 1, 2, 1 } },
        { {}, false, {} },
        { { 1, 2, 3, 10 }, true, { 1, 10 } },
        { { 5, 5, 5 }, true, { 5 } },
    };
    for (const auto &[input, loose, expected] : cases) {
        const Collected collected = loose
            ? collectAll(removingSequentialDuplicates(
                sequenceOf(input), [](int previous, int next) { return std::abs(next - previous) <= 1; }))
            : collectAll(removingSequentialDuplicates(sequenceOf(input)));
        EXPECT_EQ(collected.elements, expected);
        EXPECT_EQ(collected.error, std::nullopt);
    }
    const Collected failing = collectAll(removingSequentialDuplicates(sequenceOf({ 1, 1, 2 }, "broken")));
    EXPECT_EQ(failing.elements, (Ints { 1, 2 }));
    EXPECT_EQ(failing.error, "broken");
    // Type-erased, each iteration starts afresh.
    const auto erased = eraseToAnyAsyncSequence(removingSequentialDuplicates(sequenceOf({ 4, 4, 5 })));
    EXPECT_EQ(collectAll(erased).elements, (Ints { 4, 5 }));
    EXPECT_EQ(collectAll(erased).elements, (Ints { 4, 5 }));
}

TEST(PassthroughAsyncSequence, ResumesTheConsumerOnItsOwnThreadAndEndsAfterWhatWasBuffered)
{
    PassthroughAsyncSequence<int> sequence;
    QThread *resumedOn = nullptr;
    auto consumer = [](PassthroughAsyncSequence<int> sequence, QThread *&resumedOn) -> QCoro::Task<> {
        auto iterator = sequence.makeAsyncIterator();
        co_await iterator.next();
        resumedOn = QThread::currentThread();
    };
    consumer(sequence, resumedOn);
    std::thread producer([sequence] { sequence.yield(7); });
    producer.join();
    EXPECT_EQ(resumedOn, nullptr) << "never inside the producer's call";
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return resumedOn != nullptr; }));
    EXPECT_EQ(resumedOn, QThread::currentThread());

    // What was buffered is delivered, then the end.
    sequence.yield(8);
    sequence.finish();
    sequence.yield(9);
    EXPECT_EQ(collectAll(sequence).elements, (Ints { 8 }));
}

TEST(MergeAsyncSequence, EndsAsItsInputsSay)
{
    // Each case needs its own: a stream has one consumer.
    const auto endless = [](std::optional<int> first = 9) {
        PassthroughAsyncSequence<int> sequence;
        if (first) {
            sequence.yield(*first);
        }
        return eraseToAnyAsyncSequence(sequence);
    };
    struct Case
    {
        const char *name;
        AnyAsyncSequence<int> first;
        AnyAsyncSequence<int> second;
        Ints expected;
        bool ends;
    };
    const Case cases[] = {
        { "second empty", sequenceOf({ 1, 2, 3 }), sequenceOf({}), { 1, 2, 3 }, true },
        { "second never ends", sequenceOf({ 1, 2, 3 }), endless(), { 1, 2, 3, 9 }, false },
        { "first fails", sequenceOf({ 1 }, "broken"), endless(std::nullopt), { 1 }, true },
        { "second fails", endless(), sequenceOf({ 1 }, "broken"), { 9, 1 }, false },
    };
    for (const Case &test : cases) {
        const auto collected = collect(merge(test.first, test.second));
        TestSupport::processEventsFor(50ms);
        EXPECT_THAT(collected->elements, testing::UnorderedElementsAreArray(test.expected)) << test.name;
        EXPECT_EQ(collected->ended, test.ends) << test.name;
        EXPECT_EQ(collected->error, std::nullopt) << test.name;
    }
}

TEST(MergeAsyncSequence, FailureOfTheSecondEndsItOnceTheFirstHasEnded)
{
    PassthroughAsyncSequence<int> first;
    const auto collected = collect(merge(eraseToAnyAsyncSequence(first), sequenceOf({ 2 }, "broken")));
    first.yield(1);
    TestSupport::processEventsFor(20ms);
    EXPECT_FALSE(collected->ended);
    first.finish();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return collected->ended; }));
    EXPECT_EQ(collected->elements.size(), 2u);
    EXPECT_EQ(collected->error, std::nullopt);
}

// The second input is released whether it waits for an element (and can be cancelled) or is busy
// making them (and lives as long as someone reads it).
TEST(MergeAsyncSequence, FailureOfTheFirstStopsReadingTheSecond)
{
    const SilentCancellable<int> silent;
    const BusyGenerator<int> busy([](int tick) { return tick; });
    const std::tuple<const char *, AnyAsyncSequence<int>, std::function<bool()>> cases[] = {
        { "silent", eraseToAnyAsyncSequence(silent), [&] { return *silent.cancelled; } },
        { "busy", busy.sequence, [&] { return busy.released(); } },
    };
    for (const auto &[name, second, released] : cases) {
        SCOPED_TRACE(name);
        const auto collected = collect(merge(sequenceOf({ 1 }, "broken"), second));
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return collected->ended && released(); }, 500ms));
        EXPECT_EQ(collected->error, std::nullopt);
    }
}

// The consumer stops in each way; then neither input is read any further and what they still
// send is dropped rather than buffered. Each element holds the token, so its use count tells how
// many elements are kept anywhere.
TEST(MergeAsyncSequence, AConsumerThatStopsStopsBothInputs)
{
    using Token = std::shared_ptr<const int>;
    using Merged = MergeAsyncSequence<AnyAsyncSequence<Token>>;
    const auto token = std::make_shared<const int>(0);
    const auto takeOne = [](Merged merged) -> QCoro::Task<> {
        auto iterator = merged.makeAsyncIterator();
        co_await iterator.next();
    };
    const auto readUntilCancelled = [](Merged merged, std::function<void()> *cancel) -> QCoro::Task<> {
        auto iterator = merged.makeAsyncIterator();
        *cancel = iterator.canceller();
        while (co_await iterator.next()) { }
    };
    const char *const ways[] = { "takes one and goes", "is cancelled", "never reads" };
    for (const char *way : ways) {
        SCOPED_TRACE(way);
        const SilentCancellable<Token> fed;
        const BusyGenerator<Token> busy([token](int) { return token; });
        const long heldByTheInputs = token.use_count();
        std::function<void()> cancel;
        {
            Merged merged(eraseToAnyAsyncSequence(fed), busy.sequence);
            fed.stream.yield(token);
            if (way == ways[0]) {
                takeOne(merged);
            } else if (way == ways[1]) {
                readUntilCancelled(merged, &cancel);
            }
        }
        TestSupport::processEventsFor(20ms);
        if (cancel) {
            cancel();
        }
        for (int element = 0; element < 1000; ++element) {
            fed.stream.yield(token);
        }
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [&] { return *fed.cancelled && busy.released() && token.use_count() == heldByTheInputs; }, 500ms))
            << "fed input cancelled " << *fed.cancelled << ", busy input released " << busy.released()
            << ", elements kept " << token.use_count() - heldByTheInputs;
    }
}

TEST(AsyncSequenceSink, ReportsAFailureOnceAndDeliversNothingAfterIt)
{
    std::vector<QString> reported;
    CollectionsHooks::setReportError(
        [&](const QString &description, const QString &, int) { reported.push_back(description); });
    Ints handled;
    const auto subscription
        = sink(sequenceOf({ 1, 2 }, "disk on fire"), [&](int value) { handled.push_back(value); });
    TestSupport::processEventsFor(20ms);
    EXPECT_EQ(handled, (Ints { 1, 2 }));
    EXPECT_EQ(reported, (std::vector<QString> { "Async stream should not throw: disk on fire" }));

    const auto cancelled = sink(AnyAsyncSequence<int>::fromGenerator([]() -> QCoro::AsyncGenerator<int> {
        co_yield 1;
        throw AsyncCancellationError();
    }),
        [&](int value) { handled.push_back(value); });
    TestSupport::processEventsFor(20ms);
    CollectionsHooks::setReportError(nullptr);
    EXPECT_EQ(reported.size(), 1u) << "a cancellation ends it silently";
    EXPECT_EQ(handled, (Ints { 1, 2, 1 }));
}

TEST(AsyncSequenceSink, CancellingLetsTheRunningHandlerFinish)
{
    PassthroughAsyncSequence<int> sequence;
    PassthroughAsyncSequence<bool> gate;
    Ints started;
    Ints finished;
    auto handler = [&](int value) -> QCoro::Task<> {
        started.push_back(value);
        auto wait = gate.makeAsyncIterator();
        co_await wait.next();
        finished.push_back(value);
    };
    Events::AnyCancellable subscription = sink(sequence, handler);
    sequence.yield(1);
    sequence.yield(2);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !started.empty(); }));
    subscription.cancel();
    gate.yield(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !finished.empty(); }));
    TestSupport::processEventsFor(20ms);
    EXPECT_EQ(started, (Ints { 1 }));
    EXPECT_EQ(finished, (Ints { 1 }));
}

TEST(AsyncSequenceSink, CancellingWakesAConsumerWaitingForAnElement)
{
    PassthroughAsyncSequence<int> sequence;
    auto token = std::make_shared<int>(0);
    Events::AnyCancellable subscription = sink(sequence, [token](int) {});
    TestSupport::processEventsFor(10ms);
    EXPECT_EQ(token.use_count(), 2);
    subscription.cancel();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return token.use_count() == 1; }))
        << "the consuming coroutine has ended and released its handler";
}

TEST(AsyncSequenceValue, ShowsTheDefaultUntilTheFirstElement)
{
    PassthroughAsyncSequence<int> sequence;
    const AsyncSequenceValue<int> value(0, sequence);
    int announced = 0;
    const auto observation = value.objectWillChange().sink([&] { ++announced; });
    TestSupport::processEventsFor(10ms);
    EXPECT_EQ(value.wrappedValue(), 0);
    sequence.yield(5);
    sequence.yield(6);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return value.wrappedValue() == 6; }));
    EXPECT_EQ(announced, 2);
}
