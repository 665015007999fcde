#pragma once

#include <QString>

#include <any>
#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

// A value of any equatable type behind one type. Values of different types are never equal:
// the integer 1 and the floating-point 1.0 differ, and so do 5 and "5".
class AnyEquatable
{
public:
    template<typename T>
    requires(
        !std::same_as<std::decay_t<T>,
            AnyEquatable> && !std::is_convertible_v<T, const char *> && std::equality_comparable<std::decay_t<T>>)
        AnyEquatable(T &&value) // NOLINT: implicit, so that literals read naturally
        : m_value(std::forward<T>(value))
        , m_isEqual([stored = std::decay_t<T>(std::any_cast<const std::decay_t<T> &>(m_value))](
                        const std::any &other) {
            const auto *same = std::any_cast<std::decay_t<T>>(&other);
            return same != nullptr && *same == stored;
        })
    { }

    // Text is held as a string, not as the address of its characters.
    AnyEquatable(const char *text) // NOLINT: implicit, as above
        : AnyEquatable(QString::fromUtf8(text))
    { }

    template<std::equality_comparable T>
    std::optional<T> value() const
    {
        if (const auto *held = std::any_cast<T>(&m_value)) {
            return *held;
        }
        return std::nullopt;
    }

    // Either side may recognise the other's value.
    friend bool operator==(const AnyEquatable &left, const AnyEquatable &right)
    {
        return left.m_isEqual(right.m_value) || right.m_isEqual(left.m_value);
    }

private:
    std::any m_value;
    std::function<bool(const std::any &)> m_isEqual;
};
