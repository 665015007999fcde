#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>

// Envelopes waiting to be sent, one file each in a private directory. It holds at most
// `capacity` envelopes: a new one pushes the oldest out, so a machine that is never online
// does not fill up its disk. Any thread may use it.
class CrashReportOutbox
{
public:
    static constexpr int defaultCapacity = 30;

    explicit CrashReportOutbox(QString directory, int capacity = defaultCapacity);

    const QString &directory() const { return m_directory; }

    // Stores the envelope and answers its file, or an empty text when it cannot be written.
    QString add(const QByteArray &envelope);
    // The waiting envelopes' files, oldest first.
    QStringList pending() const;
    void remove(const QString &file);

private:
    QStringList pendingLocked() const;

    QString m_directory;
    int m_capacity;
    mutable std::mutex m_mutex;
};
