#pragma once

#include <functional>
#include <utility>

// Keeps a registration (a listener, a callback) alive; destroying or resetting it unregisters.
class ScopedRegistration
{
public:
    ScopedRegistration() = default;
    explicit ScopedRegistration(std::function<void()> unregister)
        : m_unregister(std::move(unregister))
    { }
    ScopedRegistration(ScopedRegistration &&other) noexcept
        : m_unregister(std::exchange(other.m_unregister, {}))
    { }
    ScopedRegistration &operator=(ScopedRegistration &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_unregister = std::exchange(other.m_unregister, {});
        }
        return *this;
    }
    ScopedRegistration(const ScopedRegistration &) = delete;
    ScopedRegistration &operator=(const ScopedRegistration &) = delete;
    ~ScopedRegistration() { reset(); }

    void reset()
    {
        if (auto unregister = std::exchange(m_unregister, {})) {
            unregister();
        }
    }
    bool isActive() const { return bool(m_unregister); }

private:
    std::function<void()> m_unregister;
};
