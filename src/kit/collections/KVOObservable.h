#pragma once

#include "kit/collections/ObservableObject.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <functional>
#include <memory>
#include <stdexcept>

// Follows a property of a QObject through its change signal.
class PropertyObservation : public QObject
{
    Q_OBJECT
public:
    // `object` must have a readable property `name` with a change signal (std::invalid_argument).
    // `changed` gets the new value on every change, while both this and the object live.
    PropertyObservation(QObject *object, const char *name, std::function<void(const QVariant &)> changed);

    // None once the object is gone.
    QVariant value() const;

private Q_SLOTS:
    void notified();

private:
    QPointer<QObject> m_object;
    QByteArray m_name;
    std::function<void(const QVariant &)> m_changed;
};

// The value of a QObject's property, kept up to date: each change of it announces the change,
// then replaces the value. The value stays as last seen once the object is gone.
template<typename Value>
class KVOObservable
{
public:
    KVOObservable(QObject *object, const char *name)
        : m_state(std::make_shared<State>())
    {
        m_observation = std::make_unique<PropertyObservation>(
            object, name, [state = m_state.get()](const QVariant &value) {
                state->objectWillChange.send();
                state->value = value.template value<Value>();
            });
        m_state->value = m_observation->value().template value<Value>();
    }

    const Value &value() const { return m_state->value; }
    Events::AnyPublisher<Events::Void> objectWillChange() const
    {
        return m_state->objectWillChange.eraseToAnyPublisher();
    }

private:
    struct State
    {
        ObservableObjectPublisher objectWillChange;
        Value value {};
    };

    std::shared_ptr<State> m_state;
    std::unique_ptr<PropertyObservation> m_observation;
};
