#pragma once

#include "kit/collections/ObservableObject.h"

#include "platform/events/AnyCancellable.h"

#include <memory>
#include <utility>

// A value kept up to date by a publisher: each value it sends announces the change, then
// replaces the value, on the publisher's thread.
template<typename Value>
class ObservableValue
{
public:
    ObservableValue(Value initial, const Events::AnyPublisher<Value> &source)
        : m_state(std::make_shared<State>(std::move(initial)))
        , m_cancellable(source.sink([weak = std::weak_ptr<State>(m_state)](const Value &value) {
            if (const auto state = weak.lock()) {
                state->objectWillChange.send();
                state->wrappedValue = value;
            }
        }))
    { }

    const Value &wrappedValue() const { return m_state->wrappedValue; }
    Events::AnyPublisher<Events::Void> objectWillChange() const
    {
        return m_state->objectWillChange.eraseToAnyPublisher();
    }

private:
    struct State
    {
        explicit State(Value initial)
            : wrappedValue(std::move(initial))
        { }
        ObservableObjectPublisher objectWillChange;
        Value wrappedValue;
    };

    std::shared_ptr<State> m_state;
    Events::AnyCancellable m_cancellable;
};
