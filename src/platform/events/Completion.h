#pragma once

#include "platform/events/Never.h"

#include <concepts>
#include <optional>
#include <utility>

namespace Events {

// How a publisher ended: finished normally, or failed with an error.
template<typename E>
class Completion
{
public:
    static Completion finished() { return Completion(); }

    static Completion failure(E error) requires(!std::same_as<E, Never>)
    {
        return Completion(std::move(error));
    }

    bool isFinished() const { return !m_error.has_value(); }
    bool isFailure() const { return m_error.has_value(); }

    // Only meaningful for a failure.
    const E &error() const { return *m_error; }

private:
    Completion() = default;
    explicit Completion(E error)
        : m_error(std::move(error))
    { }

    std::optional<E> m_error;
};

} // namespace Events
