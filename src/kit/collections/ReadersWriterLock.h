#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <stdexcept>
#include <type_traits>
#include <utility>

// Many readers at a time or one writer. Writes are queued and applied in the order they were
// issued; a write issued outside any block of this lock is applied before exclusivelyWrite
// returns, so every thread reads its own earlier writes. A write issued inside a read or
// write block of the same lock is applied as soon as the outermost block of that thread
// ends. A read issued inside a block of the same lock runs at once instead of deadlocking.
class ReadersWriterLock
{
public:
    static constexpr const char *defaultLabel = "com.larkvelden.readersWriterLock";

    explicit ReadersWriterLock(std::optional<QString> label = std::nullopt);
    ReadersWriterLock(const ReadersWriterLock &) = delete;
    ReadersWriterLock &operator=(const ReadersWriterLock &) = delete;

    QString label() const { return m_label; }

    // Runs `body` while no write runs; reads may overlap. What `body` throws reaches the caller.
    template<typename Body>
    std::invoke_result_t<Body &> concurrentlyRead(Body &&body) const;

    // Queues `body` to run alone. `body` must not throw: it may run on another thread.
    void exclusivelyWrite(std::function<void()> body);

    // Runs `body` alone on the calling thread, after every write queued before it, and hands
    // back its result or exception: the atomic read-modify-write that queued writes cannot be.
    // Calling it inside a read block of the same lock would deadlock and throws std::logic_error.
    template<typename Body>
    std::invoke_result_t<Body &> exclusivelyUpdate(Body &&body);

private:
    enum class Hold { None, Read, Write };

    // Marks the calling thread as inside a block of this lock for the mark's lifetime.
    class HoldMark
    {
    public:
        HoldMark(const ReadersWriterLock *lock, Hold hold);
        ~HoldMark();
        HoldMark(const HoldMark &) = delete;
        HoldMark &operator=(const HoldMark &) = delete;
        // Whether a write was queued on this lock while the mark was the thread's outermost one.
        bool queuedWrites() const;
    };

    // Ends a read: releases the shared hold, then applies what the block queued.
    class ReadScope
    {
    public:
        explicit ReadScope(const ReadersWriterLock *lock);
        ~ReadScope();
        ReadScope(const ReadScope &) = delete;
        ReadScope &operator=(const ReadScope &) = delete;

    private:
        const ReadersWriterLock *m_lock;
        std::optional<std::shared_lock<std::shared_mutex>> m_shared;
        std::optional<HoldMark> m_mark;
    };

    // Holds the lock exclusively; applies queued writes before it is released.
    class WriteScope
    {
    public:
        explicit WriteScope(const ReadersWriterLock *lock);
        ~WriteScope();
        WriteScope(const WriteScope &) = delete;
        WriteScope &operator=(const WriteScope &) = delete;

    private:
        const ReadersWriterLock *m_lock;
        std::unique_lock<std::shared_mutex> m_exclusive;
        HoldMark m_mark;
    };

    Hold heldByThisThread() const;
    void applyQueuedWrites() const;
    void takeExclusivelyAndApplyQueuedWrites() const;

    QString m_label;
    mutable std::shared_mutex m_mutex;
    mutable std::mutex m_queueMutex;
    mutable std::deque<std::function<void()>> m_queue;
};

template<typename Body>
std::invoke_result_t<Body &> ReadersWriterLock::concurrentlyRead(Body &&body) const
{
    if (heldByThisThread() != Hold::None) {
        return body();
    }
    ReadScope scope(this);
    return body();
}

template<typename Body>
std::invoke_result_t<Body &> ReadersWriterLock::exclusivelyUpdate(Body &&body)
{
    switch (heldByThisThread()) {
    case Hold::Write:
        return body();
    case Hold::Read:
        throw std::logic_error("ReadersWriterLock: exclusive update inside a read block of the same lock");
    case Hold::None:
        break;
    }
    WriteScope scope(this);
    return body();
}
