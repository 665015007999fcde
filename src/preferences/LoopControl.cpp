#include "preferences/LoopControl.h"

#include <utility>

namespace Defaults::Detail {

bool LoopControl::attach(std::function<void()> cancelStream)
{
    std::lock_guard lock(m_mutex);
    if (m_cancelled) {
        return false;
    }
    m_cancelStream = std::move(cancelStream);
    return true;
}

void LoopControl::cancel()
{
    std::function<void()> cancelStream;
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        cancelStream = std::exchange(m_cancelStream, nullptr);
    }
    if (cancelStream) {
        cancelStream();
    }
}

} // namespace Defaults::Detail
