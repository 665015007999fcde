#pragma once

#include "kit/collections/AsyncSequence.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>
#include <utility>

// The base's elements without those that `isDuplicate(previous, element)` marks as repeating
// the element just before them in the base, delivered or not. So with a loose predicate a slow
// drift is dropped whole after its first element. Every iterator starts afresh.
template<AsyncSequence Base, typename Predicate>
class RemoveDuplicatesAsyncSequence
{
public:
    using Element = typename Base::Element;

    class AsyncIterator
    {
    public:
        AsyncIterator(AsyncIteratorOf<Base> base, Predicate isDuplicate)
            : m_iterator(std::move(base))
            , m_isDuplicate(std::move(isDuplicate))
        { }

        QCoro::Task<std::optional<Element>> next()
        {
            for (;;) {
                std::optional<Element> previous = std::move(m_previousElement);
                std::optional<Element> element = co_await m_iterator.next();
                m_previousElement = element;
                if (!previous || !element || !std::invoke(m_isDuplicate, *previous, *element)) {
                    co_return element;
                }
            }
        }

        std::function<void()> canceller() const { return cancellerOf(m_iterator); }

    private:
        AsyncIteratorOf<Base> m_iterator;
        Predicate m_isDuplicate;
        std::optional<Element> m_previousElement;
    };

    RemoveDuplicatesAsyncSequence(Base base, Predicate isDuplicate)
        : m_base(std::move(base))
        , m_isDuplicate(std::move(isDuplicate))
    { }

    AsyncIterator makeAsyncIterator() const
    {
        return AsyncIterator(m_base.makeAsyncIterator(), m_isDuplicate);
    }

private:
    Base m_base;
    Predicate m_isDuplicate;
};

template<AsyncSequence Base, typename Predicate>
auto removingSequentialDuplicates(Base base, Predicate isDuplicate)
{
    return RemoveDuplicatesAsyncSequence<Base, Predicate>(std::move(base), std::move(isDuplicate));
}

template<AsyncSequence Base>
requires std::equality_comparable<typename Base::Element>
auto removingSequentialDuplicates(Base base)
{
    return removingSequentialDuplicates(std::move(base), std::equal_to<typename Base::Element>());
}
