#include "platform/userdefaults/UserDefaultsWatcher.h"

#include "platform/userdefaults/UserDefaultsLogging.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

UserDefaultsWatcher *UserDefaultsWatcher::create(
    const QString &directory, const QString &fileName, std::function<void()> changed)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (application == nullptr) {
        return nullptr;
    }
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcUserDefaults) << "cannot watch preferences:" << std::strerror(errno);
        return nullptr;
    }
    const uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
    if (::inotify_add_watch(fd, QFile::encodeName(directory).constData(), mask) < 0) {
        qCWarning(lcUserDefaults) << "cannot watch" << directory << std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    auto *watcher = new UserDefaultsWatcher(fd, fileName, std::move(changed));
    if (watcher->thread() != application->thread()) {
        watcher->moveToThread(application->thread());
        QMetaObject::invokeMethod(watcher, "start", Qt::QueuedConnection);
    } else {
        watcher->start();
    }
    return watcher;
}

UserDefaultsWatcher::UserDefaultsWatcher(int fd, QString fileName, std::function<void()> changed)
    : m_fd(fd)
    , m_fileName(std::move(fileName))
    , m_changed(std::move(changed))
{ }

UserDefaultsWatcher::~UserDefaultsWatcher()
{
    delete m_notifier;
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void UserDefaultsWatcher::dispose()
{
    if (QCoreApplication::instance() == nullptr) {
        // After the application object is gone no event loop runs; only give back the descriptor.
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    if (QThread::currentThread() == thread()) {
        // The suite may be going away from inside our own callback: stop listening now, free the
        // object once the callback has returned.
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
        }
        m_disposed = true;
        ::close(m_fd); // inotify instances are a scarce per-user resource
        m_fd = -1;
    }
    deleteLater();
}

void UserDefaultsWatcher::start()
{
    if (m_disposed) {
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UserDefaultsWatcher::readEvents);
}

void UserDefaultsWatcher::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    bool relevant = false;
    while (true) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0 && QFile::decodeName(event->name) == m_fileName) {
                relevant = true;
            }
            if (event->mask & IN_Q_OVERFLOW) {
                relevant = true;
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (relevant && !m_disposed && m_changed) {
        m_changed();
    }
}
