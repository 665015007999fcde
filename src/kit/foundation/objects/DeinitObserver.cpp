#include "kit/foundation/objects/DeinitObserver.h"

#include <QLoggingCategory>

#include <exception>

DeinitObserver::~DeinitObserver()
{
    if (!m_closure) {
        return;
    }
    // Destructors must not throw; a failing closure is logged and dropped.
    try {
        m_closure();
    } catch (const std::exception &error) {
        qWarning("DeinitObserver closure failed: %s", error.what());
    } catch (...) {
        qWarning("DeinitObserver closure failed");
    }
}
