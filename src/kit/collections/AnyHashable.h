#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>

template<typename T>
concept StdHashable = requires(const T &value)
{
    {
        std::hash<T> {}(value)
        } -> std::convertible_to<std::size_t>;
};

template<typename T>
concept QtHashable = requires(const T &value)
{
    {
        qHash(value, std::size_t { 0 })
        } -> std::convertible_to<std::size_t>;
};

template<typename T>
concept HashableValue = std::equality_comparable<T> &&(StdHashable<T> || QtHashable<T>);

// The hash of a value through std::hash where it has one, else through qHash.
template<HashableValue T>
std::size_t hashOf(const T &value)
{
    if constexpr (StdHashable<T>) {
        return std::hash<T> {}(value);
    } else {
        return qHash(value, std::size_t { 0 });
    }
}

// Any hashable value behind one type. Values of different types are never equal.
class AnyHashable
{
public:
    template<typename T>
    requires(!std::same_as<std::remove_cvref_t<T>, AnyHashable> && HashableValue<std::remove_cvref_t<T>>)
        AnyHashable(T &&value) // NOLINT: implicit, so that argument lists read naturally
        : m_value(std::make_shared<const Holder<std::remove_cvref_t<T>>>(std::forward<T>(value)))
    { }

    // Text is held as a string, not as the address of its characters.
    AnyHashable(const char *text) // NOLINT: implicit, as above
        : AnyHashable(QString::fromUtf8(text))
    { }

    std::size_t hash() const { return m_value->hash(); }
    const std::type_info &type() const { return m_value->type(); }

    // The held value when it has type T, else null.
    template<typename T>
    const T *get() const
    {
        const auto *holder = dynamic_cast<const Holder<T> *>(m_value.get());
        return holder ? &holder->value : nullptr;
    }

    // A template, so that no other type converts to AnyHashable to be compared.
    template<std::same_as<AnyHashable> Same>
    friend bool operator==(const Same &left, const Same &right)
    {
        return left.m_value->type() == right.m_value->type() && left.m_value->equals(*right.m_value);
    }

private:
    struct Base
    {
        virtual ~Base() = default;
        virtual bool equals(const Base &other) const = 0;
        virtual std::size_t hash() const = 0;
        virtual const std::type_info &type() const = 0;
    };

    template<typename T>
    struct Holder final : Base
    {
        template<typename U>
        explicit Holder(U &&initial)
            : value(std::forward<U>(initial))
        { }

        // Only called once the types are known to match.
        bool equals(const Base &other) const override
        {
            return value == static_cast<const Holder &>(other).value;
        }

        std::size_t hash() const override { return hashOf(value); }

        const std::type_info &type() const override { return typeid(T); }

        T value;
    };

    std::shared_ptr<const Base> m_value;
};

template<>
struct std::hash<AnyHashable>
{
    std::size_t operator()(const AnyHashable &value) const { return value.hash(); }
};
