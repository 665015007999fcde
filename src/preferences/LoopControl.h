#pragma once

#include <functional>
#include <mutex>

namespace Defaults::Detail {

// Lets the owner of an update loop end it, whether or not the loop has started yet.
class LoopControl
{
public:
    // False when the loop was cancelled before it could start.
    bool attach(std::function<void()> cancelStream);
    void cancel();

private:
    std::mutex m_mutex;
    bool m_cancelled = false;
    std::function<void()> m_cancelStream;
};

} // namespace Defaults::Detail
