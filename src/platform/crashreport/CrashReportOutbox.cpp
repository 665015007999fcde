#include "platform/crashreport/CrashReportOutbox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <atomic>

namespace {
const QString suffix = QStringLiteral(".envelope");
// The process's, not an outbox's: two outboxes of one folder (one that stored reports, a later
// one that sends them) must not give two reports the same name in the same millisecond.
std::atomic<quint64> sequence = 0;
} // namespace

CrashReportOutbox::CrashReportOutbox(QString directory, int capacity)
    : m_directory(std::move(directory))
    , m_capacity(qMax(1, capacity))
{ }

QString CrashReportOutbox::add(const QByteArray &envelope)
{
    std::lock_guard lock(m_mutex);
    QDir dir(m_directory);
    if (!dir.mkpath(QStringLiteral("."))
        || !QFile::setPermissions(m_directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        return {};
    }
    QStringList files = pendingLocked();
    while (files.size() >= m_capacity) {
        QFile::remove(files.takeFirst());
    }

    // Names sort by time of arrival: milliseconds, then the process's counter for the same
    // millisecond. The process id keeps two processes writing in the same millisecond apart.
    const QString name = QStringLiteral("%1-%2-%3%4")
                             .arg(QDateTime::currentMSecsSinceEpoch(), 14, 10, QLatin1Char('0'))
                             .arg(sequence++, 6, 10, QLatin1Char('0'))
                             .arg(QCoreApplication::applicationPid())
                             .arg(suffix);
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(envelope) != envelope.size() || !file.commit()) {
        return {};
    }
    return path;
}

QStringList CrashReportOutbox::pending() const
{
    std::lock_guard lock(m_mutex);
    return pendingLocked();
}

QStringList CrashReportOutbox::pendingLocked() const
{
    QStringList files;
    const QDir dir(m_directory);
    for (const QString &name : dir.entryList({ QLatin1Char('*') + suffix }, QDir::Files, QDir::Name)) {
        files.append(dir.filePath(name));
    }
    return files;
}

void CrashReportOutbox::remove(const QString &file)
{
    std::lock_guard lock(m_mutex);
    QFile::remove(file);
}
