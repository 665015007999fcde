#pragma once

#include <QByteArray>
#include <QString>

#include <limits>

// Reads a file at a path anyone may have put anything at. The open never waits (for a FIFO's
// writer, on a device), and only a regular file, links followed, is read: a FIFO, socket, device
// or directory is refused unread. Any thread.
namespace RegularFile {

struct Contents
{
    enum class Status { read, missing, notRegular, tooLarge, failed };
    Status status = Status::failed;
    QByteArray bytes; // the whole file, when read
    qint64 size = 0; // the file's size, when it is a regular file
    QString failure; // the system's words, when missing or failed
};

// The file's bytes, when it holds no more than `limit`.
Contents read(const QString &path, qint64 limit = std::numeric_limits<qint64>::max());

} // namespace RegularFile
