#pragma once

#include "platform/audio/ScopedRegistration.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>

// Callbacks registered until their registration ends. A callback may end its own or another
// registration while being called; registrations may outlive the list.
class ChangeListeners
{
public:
    ScopedRegistration add(std::function<void()> callback);
    void notify();
    int count() const { return int(m_callbacks.size()); }

private:
    std::map<quint64, std::function<void()>> m_callbacks;
    quint64 m_nextId = 1;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
};
