#include "kit/collections/KVOObservable.h"

#include <QMetaMethod>
#include <QMetaProperty>

#include <string>
#include <utility>

PropertyObservation::PropertyObservation(
    QObject *object, const char *name, std::function<void(const QVariant &)> changed)
    : m_object(object)
    , m_name(name)
    , m_changed(std::move(changed))
{
    const QMetaObject *type = object ? object->metaObject() : nullptr;
    const int index = type ? type->indexOfProperty(name) : -1;
    const QMetaProperty property = index >= 0 ? type->property(index) : QMetaProperty();
    if (!property.isReadable() || !property.hasNotifySignal()) {
        throw std::invalid_argument(std::string("PropertyObservation: no observable property ") + name);
    }
    connect(
        object, property.notifySignal(), this, metaObject()->method(metaObject()->indexOfSlot("notified()")));
}

QVariant PropertyObservation::value() const
{
    return m_object ? m_object->property(m_name.constData()) : QVariant();
}

void PropertyObservation::notified()
{
    if (m_object) {
        m_changed(value());
    }
}
