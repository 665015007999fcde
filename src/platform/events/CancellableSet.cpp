#include "platform/events/CancellableSet.h"

#include <utility>

namespace Events {

CancellableSet::~CancellableSet()
{
    clear();
}

CancellableSet &CancellableSet::operator=(CancellableSet &&other) noexcept
{
    if (this != &other) {
        clear();
        m_cancellables = std::move(other.m_cancellables);
    }
    return *this;
}

void CancellableSet::insert(AnyCancellable cancellable)
{
    if (cancellable.isActive()) {
        m_cancellables.push_back(std::move(cancellable));
    }
}

void CancellableSet::clear()
{
    // Moved out first: a cancellation that adds to or clears this set while
    // it runs must not touch the vector being destroyed.
    auto ending = std::move(m_cancellables);
    m_cancellables.clear();
    ending.clear();
}

} // namespace Events
