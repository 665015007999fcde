#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/HashCombine.h"
#include "kit/collections/Identifiable.h"

#include <QObject>
#include <QPointer>

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace WeakBoxDetail {

// QObjects are followed through QPointer (raw pointers in, raw pointers out); any other object
// through std::weak_ptr (shared pointers in and out, so a read keeps the object alive while used).
template<typename T, bool = std::is_base_of_v<QObject, T>>
struct Reference
{
    using Strong = T *;
    using Weak = QPointer<T>;
    static Strong lock(const Weak &weak) { return weak.data(); }
};

template<typename T>
struct Reference<T, false>
{
    using Strong = std::shared_ptr<T>;
    using Weak = std::weak_ptr<T>;
    static Strong lock(const Weak &weak) { return weak.lock(); }
};

} // namespace WeakBoxDetail

// A reference to an object that never keeps it alive; it reads as empty once the object is gone.
// A copy of the box is the same box: a new object set through one copy is seen through all.
// Equality, ordering and hashing are those of the objects, an object that is gone counting as
// none. Not synchronised: threads sharing one box serialise their access.
template<typename Value>
class WeakBox
{
    using Reference = WeakBoxDetail::Reference<Value>;
    using Weak = typename Reference::Weak;

public:
    using Strong = typename Reference::Strong;

    WeakBox()
        : m_reference(std::make_shared<Weak>())
    { }
    explicit WeakBox(const Strong &object)
        : m_reference(std::make_shared<Weak>(object))
    { }
    // Declared so that a move copies the reference too: no box is ever left without one.
    WeakBox(const WeakBox &) = default;
    WeakBox &operator=(const WeakBox &) = default;

    Strong wrappedValue() const { return Reference::lock(*m_reference); }
    void setWrappedValue(const Strong &object) { *m_reference = object; }
    bool isNil() const { return !wrappedValue(); }

    // A member of the object, read through a data member, getter or any callable taking it;
    // none once the object is gone.
    template<typename Accessor>
    auto read(Accessor accessor) const -> std::optional<std::decay_t<std::invoke_result_t<Accessor, Value &>>>
    {
        if (const Strong object = wrappedValue()) {
            return std::invoke(accessor, *object);
        }
        return std::nullopt;
    }

    // Writes a data member; nothing happens for none or once the object is gone.
    template<typename Member>
    requires(!std::is_function_v<Member>) void write(
        Member Value::*member, std::type_identity_t<std::optional<Member>> newValue)
    {
        const Strong object = wrappedValue();
        if (object && newValue) {
            (*object).*member = std::move(*newValue);
        }
    }

    // The same through a setter.
    template<typename Argument>
    void write(void (Value::*setter)(Argument), std::optional<std::decay_t<Argument>> newValue)
    {
        const Strong object = wrappedValue();
        if (object && newValue) {
            ((*object).*setter)(std::move(*newValue));
        }
    }

    std::optional<AnyHashable> id() const requires Identifiable<Value>
    {
        if (const Strong object = wrappedValue()) {
            return AnyHashable(object->id());
        }
        return std::nullopt;
    }

    friend bool operator==(const WeakBox &left, const WeakBox &right) requires std::equality_comparable<Value>
    {
        const Strong leftObject = left.wrappedValue();
        const Strong rightObject = right.wrappedValue();
        if (!leftObject || !rightObject) {
            return !leftObject && !rightObject;
        }
        return *leftObject == *rightObject;
    }

    friend bool operator<(const WeakBox &left, const WeakBox &right) requires std::totally_ordered<Value>
    {
        const Strong leftObject = left.wrappedValue();
        const Strong rightObject = right.wrappedValue();
        return leftObject && rightObject && *leftObject < *rightObject;
    }

private:
    std::shared_ptr<Weak> m_reference;
};

template<typename Value>
requires HashableValue<Value>
struct std::hash<WeakBox<Value>>
{
    std::size_t operator()(const WeakBox<Value> &box) const
    {
        const auto object = box.wrappedValue();
        std::size_t seed = object ? 1 : 0;
        if (object) {
            hashCombine(seed, hashOf(*object));
        }
        return seed;
    }
};
