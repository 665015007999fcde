#pragma once

#include "kit/foundation/objects/Binding.h"
#include "preferences/DefaultsObservable.h"
#include "preferences/DefaultsPublishers.h"

#include <concepts>
#include <functional>
#include <memory>

// A view's handle on one typed setting: the value, a binding to it, its change publisher, and a
// signal to redraw on (objectWillChange) whenever the stored value changes. Copies share one
// observation.
template<DefaultsSerializable V>
class Default
{
public:
    explicit Default(const Defaults::Key<V> &key)
        : m_observable(std::make_shared<Defaults::Observable<V>>(key))
    { }

    const Defaults::Key<V> &key() const { return m_observable->key(); }

    // The stored value, or the key's default; read fresh every time.
    V value() const { return Defaults::get(key()); }
    // Signals objectWillChange, then stores; storing nothing removes the key.
    void setValue(const V &value) const { m_observable->setValue(value); }

    // Reads the value, lets `change` alter it and writes it back through setValue(), also when
    // `change` throws, as Defaults::modify does.
    template<class Change>
    requires std::invocable<Change, V &>
    void modify(Change &&change) const
    {
        V value = this->value();
        Defaults::changeThenWriteBack(
            value, std::forward<Change>(change), [this](const V &changed) { setValue(changed); });
    }

    Binding<V> binding() const
    {
        return { [observable = m_observable] { return observable->value(); },
            [observable = m_observable](const V &value) { observable->setValue(value); }, {} };
    }

    const V &defaultValue() const { return key().defaultValue(); }

    // The current value at once, then every change.
    Events::AnyPublisher<Defaults::KeyChange<V>> publisher() const
    {
        return Defaults::publisher(key(), { Defaults::ObservationOption::Initial });
    }

    // Removes the stored value; the removal notification does the signalling.
    void reset() const { key().suite()->removeObject(key().name()); }

    bool isDefaultValue() const requires std::equality_comparable<V> { return value() == defaultValue(); }

    Events::AnyPublisher<Events::Void> objectWillChange() const { return m_observable->objectWillChange(); }

private:
    std::shared_ptr<Defaults::Observable<V>> m_observable;
};
