#pragma once

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestSupport {

// A FIFO that no one writes to, while it lives: opening it to read waits for a writer, for ever.
class LonelyFifo
{
public:
    explicit LonelyFifo(QString path)
        : m_path(QFile::encodeName(path))
        , m_made(::mkfifo(m_path.constData(), 0600) == 0)
    { }
    LonelyFifo(const LonelyFifo &) = delete;
    LonelyFifo &operator=(const LonelyFifo &) = delete;
    ~LonelyFifo()
    {
        if (m_made) {
            ::unlink(m_path.constData());
        }
    }

    bool made() const { return m_made; }

    // Runs `read` and answers whether it ended without waiting for a writer. One that waits is
    // freed after `patience` by writers coming and going, so that the test fails rather than hangs.
    bool readsWithoutWaiting(
        const std::function<void()> &read, std::chrono::milliseconds patience = std::chrono::seconds(2)) const
    {
        std::atomic<bool> done = false;
        std::atomic<bool> freed = false;
        std::thread freer([&] {
            const auto deadline = std::chrono::steady_clock::now() + patience;
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                if (std::chrono::steady_clock::now() < deadline) {
                    continue;
                }
                // Succeeds only while a reader waits in its open.
                if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
                    freed = true;
                    ::close(fd);
                }
            }
        });
        read();
        done = true;
        freer.join();
        return !freed;
    }

private:
    QByteArray m_path;
    bool m_made;
};

} // namespace TestSupport
