#include "platform/events/AnyCancellable.h"

#include "platform/events/CancellableSet.h"

#include <utility>

namespace Events {

AnyCancellable::AnyCancellable(std::function<void()> cancel)
    : m_cancel(std::move(cancel))
{ }

AnyCancellable::~AnyCancellable()
{
    cancel();
}

AnyCancellable::AnyCancellable(AnyCancellable &&other) noexcept
    : m_cancel(std::exchange(other.m_cancel, nullptr))
{ }

AnyCancellable &AnyCancellable::operator=(AnyCancellable &&other) noexcept
{
    if (this != &other) {
        // Replacing a subscription ends the one held before.
        auto incoming = std::exchange(other.m_cancel, nullptr);
        cancel();
        m_cancel = std::move(incoming);
    }
    return *this;
}

void AnyCancellable::cancel()
{
    // Taken out first, so a cancel action that reaches this object again
    // (directly or by destroying its owner) finds nothing left to do.
    if (auto action = std::exchange(m_cancel, nullptr)) {
        action();
    }
}

void AnyCancellable::store(CancellableSet &set) &&
{
    set.insert(std::move(*this));
}

} // namespace Events
