#pragma once

#include "kit/collections/ObservableObject.h"

#include "platform/events/CurrentValueSubject.h"

#include <concepts>
#include <functional>
#include <utility>

// A value that publishes only real changes: setting it to an equal value does nothing. Inside an
// observable object, give it the owner's objectWillChange, which is sent before each change.
// Sends run synchronously on the setter's thread; concurrent writers are the caller's business.
template<std::equality_comparable Value>
class PublishedUnique
{
public:
    explicit PublishedUnique(Value initial, ObservableObjectPublisher *objectWillChange = nullptr)
        : m_storage(std::move(initial))
        , m_objectWillChange(objectWillChange)
    { }

    Value value() const { return m_storage.value(); }

    void setValue(Value newValue)
    {
        if (newValue == m_storage.value()) {
            return;
        }
        if (m_objectWillChange) {
            m_objectWillChange->send();
        }
        m_storage.send(std::move(newValue));
    }

    // Changes a copy and stores it by the same rule, so a change back to an equal value is silent.
    template<typename Change>
    void modify(Change &&change)
    {
        Value copy = m_storage.value();
        std::invoke(std::forward<Change>(change), copy);
        setValue(std::move(copy));
    }

    // The current value at once, then each value that differs from the one before.
    Events::AnyPublisher<Value> projectedValue() const { return m_storage.eraseToAnyPublisher(); }

private:
    Events::CurrentValueSubject<Value> m_storage;
    ObservableObjectPublisher *m_objectWillChange;
};
