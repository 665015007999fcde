#pragma once

#include <concepts>
#include <functional>
#include <optional>
#include <utility>

// An asynchronous sequence: `makeAsyncIterator()` gives a fresh iterator whose `next()` is
// awaited for the next element, none at the end; an error of the sequence is thrown from it.
// An iterator is consumed by one coroutine at a time and must outlive each await of next().
// An iterator may offer `canceller()`, a function that ends it from any thread: a suspended
// next() then gives none.
template<typename S>
concept AsyncSequence = requires(const S &sequence)
{
    typename S::Element;
    sequence.makeAsyncIterator();
};

template<AsyncSequence S>
using AsyncIteratorOf = decltype(std::declval<const S &>().makeAsyncIterator());

template<typename Iterator>
concept CancellableAsyncIterator = requires(const Iterator &iterator)
{
    {
        iterator.canceller()
        } -> std::convertible_to<std::function<void()>>;
};

// The iterator's canceller, or an empty function when it has none.
template<typename Iterator>
std::function<void()> cancellerOf(const Iterator &iterator)
{
    if constexpr (CancellableAsyncIterator<Iterator>) {
        return iterator.canceller();
    } else {
        return {};
    }
}
