#include "platform/audio/ChangeListeners.h"

#include <vector>

ScopedRegistration ChangeListeners::add(std::function<void()> callback)
{
    const quint64 id = m_nextId++;
    m_callbacks.emplace(id, std::move(callback));
    return ScopedRegistration([this, alive = std::weak_ptr<int>(m_alive), id] {
        if (alive.lock()) {
            m_callbacks.erase(id);
        }
    });
}

void ChangeListeners::notify()
{
    std::vector<quint64> ids;
    for (const auto &entry : m_callbacks) {
        ids.push_back(entry.first);
    }
    for (quint64 id : ids) {
        if (const auto found = m_callbacks.find(id); found != m_callbacks.end()) {
            auto callback = found->second;
            callback();
        }
    }
}
