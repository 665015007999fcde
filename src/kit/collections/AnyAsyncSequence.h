#pragma once

#include "kit/collections/AsyncSequence.h"

#include <QCoro/QCoroAsyncGenerator>
#include <QCoro/QCoroTask>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// An asynchronous sequence of any kind behind one type; each iterator made boxes a new iterator
// of the base and passes its elements and errors on unchanged.
template<typename T>
class AnyAsyncSequence
{
public:
    using Element = T;

    class AsyncIterator
    {
    public:
        template<typename Base>
        requires(!std::same_as<Base, AsyncIterator>) explicit AsyncIterator(Base base)
        {
            auto box = std::make_shared<Base>(std::move(base));
            m_nextClosure = [box] { return advance(box); };
            m_canceller = cancellerOf(*box);
        }

        QCoro::Task<std::optional<T>> next() { return m_nextClosure(); }

        // Ends the base's iterator; empty when the base cannot be ended.
        std::function<void()> canceller() const { return m_canceller; }

    private:
        // The box travels in the coroutine's frame, so it outlives every await of it.
        template<typename Base>
        static QCoro::Task<std::optional<T>> advance(std::shared_ptr<Base> box)
        {
            co_return co_await box->next();
        }

        std::function<QCoro::Task<std::optional<T>>()> m_nextClosure;
        std::function<void()> m_canceller;
    };

    template<AsyncSequence Base>
    requires(
        !std::same_as<Base,
            AnyAsyncSequence> && std::same_as<typename Base::Element, T>) explicit AnyAsyncSequence(Base base)
        : m_makeAsyncIteratorClosure(
            [base = std::move(base)] { return AsyncIterator(base.makeAsyncIterator()); })
    { }

    // A sequence whose every iteration runs a new generator made by `makeGenerator`.
    static AnyAsyncSequence fromGenerator(std::function<QCoro::AsyncGenerator<T>()> makeGenerator)
    {
        return AnyAsyncSequence([makeGenerator = std::move(makeGenerator)] {
            return AsyncIterator(GeneratorIterator { std::make_shared<GeneratorState>(makeGenerator()) });
        });
    }

    AsyncIterator makeAsyncIterator() const { return m_makeAsyncIteratorClosure(); }

private:
    struct GeneratorState
    {
        explicit GeneratorState(QCoro::AsyncGenerator<T> generator)
            : generator(std::move(generator))
        { }
        QCoro::AsyncGenerator<T> generator;
        std::optional<typename QCoro::AsyncGenerator<T>::iterator> position;
    };

    struct GeneratorIterator
    {
        std::shared_ptr<GeneratorState> state;

        QCoro::Task<std::optional<T>> next() { return advance(state); }

        static QCoro::Task<std::optional<T>> advance(std::shared_ptr<GeneratorState> state)
        {
            if (!state->position) {
                state->position.emplace(co_await state->generator.begin());
            } else if (*state->position != state->generator.end()) {
                co_await ++*state->position;
            }
            if (*state->position == state->generator.end()) {
                co_return std::nullopt;
            }
            co_return std::optional<T>(**state->position);
        }
    };

    explicit AnyAsyncSequence(std::function<AsyncIterator()> makeAsyncIterator)
        : m_makeAsyncIteratorClosure(std::move(makeAsyncIterator))
    { }

    std::function<AsyncIterator()> m_makeAsyncIteratorClosure;
};

template<AsyncSequence Base>
AnyAsyncSequence<typename Base::Element> eraseToAnyAsyncSequence(Base base)
{
    return AnyAsyncSequence<typename Base::Element>(std::move(base));
}
