#pragma once

#include <functional>

namespace Events {

class CancellableSet;

// Owns one subscription: cancelling it, or destroying it, ends the
// subscription. Cancelling twice is harmless. A cancel made on the thread that
// delivers takes effect for the next delivery; one made on another thread
// does not wait for a delivery already under way there.
class AnyCancellable
{
public:
    AnyCancellable() = default;
    explicit AnyCancellable(std::function<void()> cancel);
    ~AnyCancellable();

    AnyCancellable(AnyCancellable &&other) noexcept;
    AnyCancellable &operator=(AnyCancellable &&other) noexcept;
    AnyCancellable(const AnyCancellable &) = delete;
    AnyCancellable &operator=(const AnyCancellable &) = delete;

    void cancel();

    // False once cancelled, moved from, or default-constructed.
    bool isActive() const { return static_cast<bool>(m_cancel); }

    // Hands the subscription to a set that keeps it for its owner's life.
    void store(CancellableSet &set) &&;

private:
    std::function<void()> m_cancel;
};

} // namespace Events
