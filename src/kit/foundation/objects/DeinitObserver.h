#pragma once

#include <functional>

// Runs its closure once when it is destroyed. Attached to an object through a retaining
// ObjectAssociation (as a shared pointer) it goes, and runs the closure, with that object.
class DeinitObserver
{
public:
    explicit DeinitObserver(std::function<void()> closure)
        : m_closure(std::move(closure))
    { }
    ~DeinitObserver();
    DeinitObserver(const DeinitObserver &) = delete;
    DeinitObserver &operator=(const DeinitObserver &) = delete;

private:
    std::function<void()> m_closure;
};
