#pragma once

#include "platform/events/AnyCancellable.h"
#include "platform/events/Completion.h"
#include "platform/events/MainThread.h"
#include "platform/events/Never.h"
#include "platform/events/SubjectCore.h"
#include "platform/events/Subscriber.h"
#include "platform/events/Void.h"

#include <atomic>
#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace Events {

template<typename T, typename E>
class AnyPublisher;

namespace Detail {

// Handlers of a Void publisher may take no argument at all.
template<typename F, typename T>
decltype(auto) invokeWithValue(F &f, const T &value)
{
    if constexpr (std::is_invocable_v<F &, const T &>) {
        return std::invoke(f, value);
    } else {
        static_assert(std::same_as<T, Void> && std::is_invocable_v<F &>,
            "the handler must accept the publisher's value");
        return std::invoke(f);
    }
}

template<typename F, typename T>
using ResultOf = std::decay_t<decltype(invokeWithValue(std::declval<F &>(), std::declval<const T &>()))>;

} // namespace Detail

// The operators every publisher offers. `Derived` provides
// `subscribe(Subscriber<T, E>)` and `eraseToAnyPublisher()`; each operator
// gives a new publisher, and subscribing to it subscribes upstream once per
// subscriber. Cancelling the returned subscription releases the whole chain.
template<typename Derived, typename T, typename E>
class Publisher
{
public:
    using Output = T;
    using Failure = E;

    template<typename ValueHandler>
    AnyCancellable sink(ValueHandler receiveValue) const requires std::same_as<E, Never>
    {
        return self().subscribe(Subscriber<T, E> { valueHandler(std::move(receiveValue)), nullptr });
    }

    template<typename CompletionHandler, typename ValueHandler>
    AnyCancellable sink(CompletionHandler receiveCompletion, ValueHandler receiveValue) const
    {
        return self().subscribe(Subscriber<T, E> { valueHandler(std::move(receiveValue)),
            std::function<void(const Completion<E> &)>(std::move(receiveCompletion)) });
    }

    template<typename F>
    AnyPublisher<Detail::ResultOf<F, T>, E> map(F transform) const
    {
        using U = Detail::ResultOf<F, T>;
        return AnyPublisher<U, E>([upstream = self().eraseToAnyPublisher(), transform = std::move(transform)](
                                      Subscriber<U, E> downstream) {
            return upstream.subscribe(Subscriber<T, E> {
                [transform, receive = std::move(downstream.receiveValue)](
                    const T &value) mutable { receive(Detail::invokeWithValue(transform, value)); },
                std::move(downstream.receiveCompletion) });
        });
    }

    template<typename Predicate>
    AnyPublisher<T, E> filter(Predicate isIncluded) const
    {
        return AnyPublisher<T, E>([upstream = self().eraseToAnyPublisher(),
                                      isIncluded = std::move(isIncluded)](Subscriber<T, E> downstream) {
            return upstream.subscribe(Subscriber<T, E> {
                [isIncluded, receive = std::move(downstream.receiveValue)](const T &value) mutable {
                    if (Detail::invokeWithValue(isIncluded, value)) {
                        receive(value);
                    }
                },
                std::move(downstream.receiveCompletion) });
        });
    }

    // Drops a value when `isDuplicate(previous, value)` holds for the value
    // received just before it (delivered or not); the first value passes.
    template<typename Predicate>
    AnyPublisher<T, E> removeDuplicates(Predicate isDuplicate) const
    {
        return AnyPublisher<T, E>([upstream = self().eraseToAnyPublisher(),
                                      isDuplicate = std::move(isDuplicate)](Subscriber<T, E> downstream) {
            return upstream.subscribe(
                Subscriber<T, E> { [isDuplicate, previous = std::optional<T>(),
                                       receive = std::move(downstream.receiveValue)](const T &value) mutable {
                                      const bool duplicate = previous && isDuplicate(*previous, value);
                                      previous = value;
                                      if (!duplicate) {
                                          receive(value);
                                      }
                                  },
                    std::move(downstream.receiveCompletion) });
        });
    }

    AnyPublisher<T, E> removeDuplicates() const requires std::equality_comparable<T>
    {
        return removeDuplicates(std::equal_to<T>());
    }

    AnyPublisher<T, E> dropFirst(std::size_t count = 1) const
    {
        return AnyPublisher<T, E>([upstream = self().eraseToAnyPublisher(), count](
                                      Subscriber<T, E> downstream) {
            return upstream.subscribe(Subscriber<T, E> {
                [remaining = count, receive = std::move(downstream.receiveValue)](const T &value) mutable {
                    if (remaining > 0) {
                        --remaining;
                        return;
                    }
                    receive(value);
                },
                std::move(downstream.receiveCompletion) });
        });
    }

    // Delivers values and the completion on the GUI thread, each on a later
    // turn of its event loop (also when sent from the GUI thread), in the
    // order sent. Nothing still pending is delivered after cancellation.
    AnyPublisher<T, E> receiveOnMain() const
    {
        return AnyPublisher<T, E>([upstream = self().eraseToAnyPublisher()](Subscriber<T, E> downstream) {
            struct Relay
            {
                std::atomic<bool> cancelled { false };
                Subscriber<T, E> downstream;
            };
            auto relay = std::make_shared<Relay>();
            relay->downstream = std::move(downstream);
            auto subscription = std::make_shared<AnyCancellable>();
            *subscription
                = upstream.subscribe(Subscriber<T, E> { [relay](const T &value) {
                                                           runOnMain([relay, value] {
                                                               if (!relay->cancelled) {
                                                                   relay->downstream.receiveValue(value);
                                                               }
                                                           });
                                                       },
                    [relay](const Completion<E> &completion) {
                        runOnMain([relay, completion] {
                            if (!relay->cancelled.exchange(true)) {
                                relay->downstream.receiveCompletion(completion);
                            }
                        });
                    } });
            return AnyCancellable([relay, subscription] {
                relay->cancelled = true;
                subscription->cancel();
            });
        });
    }

    // The values of this publisher and `other` as they come. Finishes once
    // both have finished; fails with the first failure. Deliveries coming from
    // the two at once are queued, never overlapped.
    template<typename Other>
    AnyPublisher<T, E> merge(const Other &other) const
    {
        return AnyPublisher<T, E>([first = self().eraseToAnyPublisher(),
                                      second = other.eraseToAnyPublisher()](Subscriber<T, E> downstream) {
            struct Subscriptions
            {
                AnyCancellable output;
                AnyCancellable first;
                AnyCancellable second;
            };
            auto junction = std::make_shared<SubjectCore<T, E>>();
            auto subscriptions = std::make_shared<Subscriptions>();
            subscriptions->output = junction->subscribe(std::move(downstream));
            auto unfinished = std::make_shared<std::atomic<int>>(2);
            const Subscriber<T, E> input { [junction](const T &value) { junction->sendValue(value); },
                [junction, unfinished](const Completion<E> &completion) {
                    if (completion.isFailure() || unfinished->fetch_sub(1) == 1) {
                        junction->sendCompletion(completion);
                    }
                } };
            subscriptions->first = first.subscribe(input);
            subscriptions->second = second.subscribe(input);
            return AnyCancellable([subscriptions] {
                subscriptions->output.cancel();
                subscriptions->first.cancel();
                subscriptions->second.cancel();
            });
        });
    }

    // A failure becomes the value `replacement` followed by a normal finish.
    AnyPublisher<T, Never> replaceError(T replacement) const
    {
        return catchError([replacement = std::move(replacement)](const E &) { return replacement; });
    }

    // A failure becomes the value `handler(error)` followed by a normal finish.
    template<typename Handler>
    AnyPublisher<T, Never> catchError(Handler handler) const
    {
        return AnyPublisher<T, Never>([upstream = self().eraseToAnyPublisher(), handler = std::move(handler)](
                                          Subscriber<T, Never> downstream) {
            auto receive = std::move(downstream.receiveValue);
            auto complete = std::move(downstream.receiveCompletion);
            return upstream.subscribe(Subscriber<T, E> {
                receive, [handler, receive, complete](const Completion<E> &completion) mutable {
                    if constexpr (!std::same_as<E, Never>) {
                        if (completion.isFailure()) {
                            receive(handler(completion.error()));
                        }
                    }
                    complete(Completion<Never>::finished());
                } });
        });
    }

private:
    const Derived &self() const { return static_cast<const Derived &>(*this); }

    template<typename ValueHandler>
    static std::function<void(const T &)> valueHandler(ValueHandler handler)
    {
        return [handler = std::move(handler)](
                   const T &value) mutable { Detail::invokeWithValue(handler, value); };
    }
};

} // namespace Events
