#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Removal that never resolves a name twice: a directory is walked through the descriptors it was
// opened by (openat, fdopendir, unlinkat, O_NOFOLLOW), so an entry swapped for a symbolic link
// meanwhile is removed as a link, never followed. Names are bytes, whatever their encoding.
// Each answers 0 or the first failure's errno; what can be removed is removed all the same.
namespace TreeRemoval {

// The names in the directory open at `directory`, without "." and "..".
QList<QByteArray> entryNames(int directory);

// Removes everything inside the directory open at `directory`, leaving the directory itself.
int removeContents(int directory);

// Removes the entry `name` of the directory open at `directory`: a directory with everything in
// it, anything else (a symbolic link included) as itself.
int removeAt(int directory, const QByteArray &name);

// The same for the item at `path`. Its folder is opened as the path names it; the item itself is
// never followed.
int remove(const QString &path);

} // namespace TreeRemoval
