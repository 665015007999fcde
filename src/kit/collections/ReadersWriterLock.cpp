#include "kit/collections/ReadersWriterLock.h"

#include <algorithm>
#include <vector>

namespace {

struct HeldLock
{
    const void *lock;
    int hold;
    bool queuedWrites;
};

// The blocks the current thread is inside, innermost last; blocks nest, so marks are LIFO.
thread_local std::vector<HeldLock> t_heldLocks;

HeldLock *findHeld(const void *lock)
{
    auto found = std::find_if(
        t_heldLocks.rbegin(), t_heldLocks.rend(), [lock](const HeldLock &held) { return held.lock == lock; });
    return found == t_heldLocks.rend() ? nullptr : &*found;
}

// A queued write may run on any thread, where an exception has no caller to reach.
void runWrite(const std::function<void()> &write) noexcept
{
    write();
}

} // namespace

ReadersWriterLock::ReadersWriterLock(std::optional<QString> label)
    : m_label(label.value_or(QString::fromLatin1(defaultLabel)))
{ }

ReadersWriterLock::HoldMark::HoldMark(const ReadersWriterLock *lock, Hold hold)
{
    t_heldLocks.push_back({ lock, static_cast<int>(hold), false });
}

ReadersWriterLock::HoldMark::~HoldMark()
{
    t_heldLocks.pop_back();
}

bool ReadersWriterLock::HoldMark::queuedWrites() const
{
    return t_heldLocks.back().queuedWrites;
}

ReadersWriterLock::ReadScope::ReadScope(const ReadersWriterLock *lock)
    : m_lock(lock)
{
    m_shared.emplace(lock->m_mutex);
    m_mark.emplace(lock, Hold::Read);
}

ReadersWriterLock::ReadScope::~ReadScope()
{
    const bool queued = m_mark->queuedWrites();
    m_mark.reset();
    m_shared.reset();
    if (queued) {
        m_lock->takeExclusivelyAndApplyQueuedWrites();
    }
}

ReadersWriterLock::WriteScope::WriteScope(const ReadersWriterLock *lock)
    : m_lock(lock)
    , m_exclusive(lock->m_mutex)
    , m_mark(lock, Hold::Write)
{
    m_lock->applyQueuedWrites();
}

ReadersWriterLock::WriteScope::~WriteScope()
{
    m_lock->applyQueuedWrites();
}

ReadersWriterLock::Hold ReadersWriterLock::heldByThisThread() const
{
    const HeldLock *held = findHeld(this);
    return held ? static_cast<Hold>(held->hold) : Hold::None;
}

void ReadersWriterLock::exclusivelyWrite(std::function<void()> body)
{
    {
        std::lock_guard guard(m_queueMutex);
        m_queue.push_back(std::move(body));
    }
    if (HeldLock *held = findHeld(this)) {
        held->queuedWrites = true;
        return;
    }
    // Taking the lock even when another thread already emptied the queue waits for that
    // thread to finish applying this write.
    takeExclusivelyAndApplyQueuedWrites();
}

void ReadersWriterLock::applyQueuedWrites() const
{
    for (;;) {
        std::function<void()> write;
        {
            std::lock_guard guard(m_queueMutex);
            if (m_queue.empty()) {
                return;
            }
            write = std::move(m_queue.front());
            m_queue.pop_front();
        }
        runWrite(write);
    }
}

void ReadersWriterLock::takeExclusivelyAndApplyQueuedWrites() const
{
    WriteScope scope(this);
}
