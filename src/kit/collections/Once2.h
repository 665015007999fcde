#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// Work that runs at most once: the first call runs it and lets go of it, later calls do nothing.
// Dropping a Once2 that never ran drops its work unrun. Not for calls from several threads at once.
template<typename Result>
class Once2
{
public:
    struct Executed
    {
    };
    using Work = std::function<Result()>;
    using State = std::variant<Work, Executed>;
    // What a call answers: the work's result the first time, none later (for void work, whether it ran).
    using CallResult = std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>>;

    explicit Once2(Work work)
        : m_state(std::move(work))
    { }

    bool isExecuted() const { return std::holds_alternative<Executed>(m_state); }

    CallResult operator()()
    {
        if (isExecuted()) {
            return CallResult {};
        }
        // Leave the executed state before running, so that a call from within the work is a no-op.
        Work work = std::move(std::get<Work>(m_state));
        m_state = Executed {};
        if constexpr (std::is_void_v<Result>) {
            work();
            return true;
        } else {
            return work();
        }
    }

private:
    State m_state;
};
