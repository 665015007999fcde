#pragma once

#include "kit/collections/AsyncSequenceSink.h"
#include "kit/collections/ObservableObject.h"

#include "platform/events/MainThread.h"

#include <memory>
#include <optional>
#include <utility>

// The latest element of an asynchronous sequence, or the default until the first one has
// arrived. Elements are stored on the GUI thread, each announced by objectWillChange just
// before; read it there. The subscription ends with the object.
template<typename Value>
class AsyncSequenceValue
{
public:
    template<AsyncSequence S>
    requires std::convertible_to<typename S::Element, Value> AsyncSequenceValue(
        Value defaultValue, S sequence)
        : m_defaultValue(std::move(defaultValue))
        , m_observable(std::make_shared<Observable>())
        , m_cancellable(sink(std::move(sequence),
              [weak = std::weak_ptr<Observable>(m_observable)](
                  const typename S::Element &element) { return store(weak, Value(element)); }))
    { }

    Value wrappedValue() const { return m_observable->value.value_or(m_defaultValue); }
    Events::AnyPublisher<Events::Void> objectWillChange() const
    {
        return m_observable->objectWillChange.eraseToAnyPublisher();
    }

private:
    struct Observable
    {
        ObservableObjectPublisher objectWillChange;
        std::optional<Value> value;
    };

    static QCoro::Task<> store(std::weak_ptr<Observable> weak, Value element)
    {
        co_await Events::resumeOnMain();
        if (const auto observable = weak.lock()) {
            observable->objectWillChange.send();
            observable->value = std::move(element);
        }
    }

    Value m_defaultValue;
    std::shared_ptr<Observable> m_observable;
    Events::AnyCancellable m_cancellable;
};
