#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// Notices another process replacing, editing or deleting a suite's file. It watches the
// directory, because an atomic replace puts a new inode under the name. Lives on the
// application's main thread; `changed` runs there.
class UserDefaultsWatcher : public QObject
{
    Q_OBJECT

public:
    // Null when there is no application object (no event loop to deliver on) or inotify fails.
    static UserDefaultsWatcher *create(
        const QString &directory, const QString &fileName, std::function<void()> changed);
    ~UserDefaultsWatcher() override;

    // Safe from any thread: the object is deleted on its own thread.
    void dispose();

private:
    UserDefaultsWatcher(int fd, QString fileName, std::function<void()> changed);
    Q_INVOKABLE void start();
    void readEvents();

    int m_fd = -1;
    QString m_fileName;
    std::function<void()> m_changed;
    QSocketNotifier *m_notifier = nullptr;
    bool m_disposed = false;
};
