#pragma once

#include "kit/foundation/objects/AssociatedValueStore.h"
#include "kit/foundation/objects/AssociationPolicy.h"

#include <QObject>
#include <QPointer>

#include <concepts>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace ObjectAssociationDetail {

template<typename T>
struct IsSharedPointer : std::false_type
{
};
template<typename T>
struct IsSharedPointer<std::shared_ptr<T>> : std::true_type
{
};

template<typename T>
concept QObjectPointer = std::is_pointer_v<T> && std::derived_from<std::remove_pointer_t<T>, QObject>;

} // namespace ObjectAssociationDetail

// A typed slot for attaching a value to any QObject. The association object itself is the
// key, so each instance is a slot of its own and must outlive its use (make it a process-wide
// constant). A retained value lives until it is replaced or the object is destroyed.
template<typename Value>
class ObjectAssociation
{
public:
    explicit ObjectAssociation(
        Value defaultValue = Value {}, AssociationPolicy policy = AssociationPolicy::retainNonatomic)
        : m_defaultValue(std::move(defaultValue))
        , m_policy(policy)
    { }
    ObjectAssociation(const ObjectAssociation &) = delete;
    ObjectAssociation &operator=(const ObjectAssociation &) = delete;

    const Value &defaultValue() const { return m_defaultValue; }
    AssociationPolicy policy() const { return m_policy; }

    // The attached value; the default when nothing is attached or a weakly held one is gone.
    Value get(const QObject *object) const requires std::copy_constructible<Value>
    {
        Value result = m_defaultValue;
        AssociatedValueStore::read(object, this, [&](AssociatedValueStore::Slot *slot) {
            if (slot) {
                if (auto value = static_cast<TypedSlot *>(slot)->get()) {
                    result = std::move(*value);
                }
            }
        });
        return result;
    }

    void set(QObject *object, Value value)
    {
        AssociatedValueStore::replace(object, this, std::make_unique<TypedSlot>(std::move(value), m_policy));
    }

    // Changes the attached value in place, starting from the default when there is none; one
    // step, so concurrent changes of the same slot do not lose each other. Only for retained values.
    template<typename Change>
    void modify(QObject *object, Change &&change)
    {
        AssociatedValueStore::modify(
            object, this,
            [this]() -> std::unique_ptr<AssociatedValueStore::Slot> {
                if constexpr (std::copy_constructible<Value>) {
                    return std::make_unique<TypedSlot>(Value(m_defaultValue), m_policy);
                } else {
                    return std::make_unique<TypedSlot>(Value {}, m_policy);
                }
            },
            [&](AssociatedValueStore::Slot &slot) { change(static_cast<TypedSlot &>(slot).retained()); });
    }

private:
    class TypedSlot : public AssociatedValueStore::Slot
    {
    public:
        TypedSlot(Value value, AssociationPolicy policy)
        {
            if constexpr (ObjectAssociationDetail::IsSharedPointer<Value>::value) {
                if (policy == AssociationPolicy::assign) {
                    m_weak = value;
                    return;
                }
            } else if constexpr (ObjectAssociationDetail::QObjectPointer<Value>) {
                if (policy == AssociationPolicy::assign) {
                    m_weak = value;
                    return;
                }
            }
            m_value = std::make_unique<Value>(std::move(value));
        }

        std::optional<Value> get() const requires std::copy_constructible<Value>
        {
            if (m_value) {
                return *m_value;
            }
            if constexpr (ObjectAssociationDetail::IsSharedPointer<Value>::value) {
                if (auto strong = m_weak.lock()) {
                    return strong;
                }
            } else if constexpr (ObjectAssociationDetail::QObjectPointer<Value>) {
                if (m_weak) {
                    return m_weak.data();
                }
            }
            return std::nullopt;
        }

        Value &retained()
        {
            if (!m_value) {
                m_value = std::make_unique<Value>();
            }
            return *m_value;
        }

    private:
        using WeakForm = std::conditional_t<ObjectAssociationDetail::IsSharedPointer<Value>::value,
            std::weak_ptr<typename std::pointer_traits<
                std::conditional_t<ObjectAssociationDetail::IsSharedPointer<Value>::value, Value,
                    std::shared_ptr<int>>>::element_type>,
            std::conditional_t<ObjectAssociationDetail::QObjectPointer<Value>,
                QPointer<std::remove_pointer_t<
                    std::conditional_t<ObjectAssociationDetail::QObjectPointer<Value>, Value, QObject *>>>,
                std::monostate>>;

        std::unique_ptr<Value> m_value;
        [[no_unique_address]] WeakForm m_weak {};
    };

    Value m_defaultValue;
    AssociationPolicy m_policy;
};
