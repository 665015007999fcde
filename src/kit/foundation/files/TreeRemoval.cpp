#include "kit/foundation/files/TreeRemoval.h"

#include "kit/foundation/files/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Deeper than anything the program makes; the bound keeps a hostile tree from using up the stack
// and the descriptors.
constexpr int maximumDepth = 64;

int removeContentsBelow(int directory, int depth);

int firstFailure(int failure, int next)
{
    return failure != 0 ? failure : next;
}

int removeEntry(int directory, const QByteArray &name, int depth)
{
    struct stat status
    {
    };
    if (::fstatat(directory, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    if (!S_ISDIR(status.st_mode)) {
        return ::unlinkat(directory, name.constData(), 0) == 0 || errno == ENOENT ? 0 : errno;
    }
    if (depth >= maximumDepth) {
        return ELOOP;
    }
    const FileDescriptor inner(
        ::openat(directory, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!inner.isValid()) {
        // Swapped for something else since it was looked at: that is left alone.
        return errno;
    }
    struct stat opened
    {
    };
    if (::fstat(inner.get(), &opened) != 0 || opened.st_dev != status.st_dev
        || opened.st_ino != status.st_ino) {
        return ESTALE;
    }
    const int failure = removeContentsBelow(inner.get(), depth + 1);
    // Only an empty directory goes, and a link put in its place meanwhile is refused (ENOTDIR).
    return firstFailure(failure, ::unlinkat(directory, name.constData(), AT_REMOVEDIR) == 0 ? 0 : errno);
}

int removeContentsBelow(int directory, int depth)
{
    int failure = 0;
    for (const QByteArray &name : TreeRemoval::entryNames(directory)) {
        failure = firstFailure(failure, removeEntry(directory, name, depth));
    }
    return failure;
}

} // namespace

namespace TreeRemoval {

QList<QByteArray> entryNames(int directory)
{
    QList<QByteArray> names;
    // fdopendir takes the descriptor it is given: a duplicate, so the caller's stays open.
    const int duplicate = ::fcntl(directory, F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0) {
        return names;
    }
    DIR *stream = ::fdopendir(duplicate);
    if (!stream) {
        ::close(duplicate);
        return names;
    }
    // A duplicate shares its position with the original, which an earlier walk may have moved.
    ::rewinddir(stream);
    while (const dirent *entry = ::readdir(stream)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names.append(name);
        }
    }
    ::closedir(stream);
    return names;
}

int removeContents(int directory)
{
    return removeContentsBelow(directory, 0);
}

int removeAt(int directory, const QByteArray &name)
{
    return removeEntry(directory, name, 0);
}

int remove(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    const FileDescriptor folder(
        ::open(QFile::encodeName(QFileInfo(clean).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isValid()) {
        return errno;
    }
    return removeAt(folder.get(), QFile::encodeName(QFileInfo(clean).fileName()));
}

} // namespace TreeRemoval
