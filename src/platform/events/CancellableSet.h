#pragma once

#include "platform/events/AnyCancellable.h"

#include <cstddef>
#include <vector>

namespace Events {

// The subscriptions an object keeps for its whole life; they end together
// when the set is cleared or destroyed.
class CancellableSet
{
public:
    CancellableSet() = default;
    ~CancellableSet();

    CancellableSet(CancellableSet &&) noexcept = default;
    CancellableSet &operator=(CancellableSet &&other) noexcept;
    CancellableSet(const CancellableSet &) = delete;
    CancellableSet &operator=(const CancellableSet &) = delete;

    void insert(AnyCancellable cancellable);

    // Cancels every subscription held.
    void clear();

    std::size_t size() const { return m_cancellables.size(); }
    bool isEmpty() const { return m_cancellables.empty(); }

private:
    std::vector<AnyCancellable> m_cancellables;
};

} // namespace Events
