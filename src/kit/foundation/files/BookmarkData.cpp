#include "kit/foundation/files/BookmarkData.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/BookmarkRecord.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace BookmarkData {

namespace {

QUrl locationOf(const BookmarkRecord &record, bool isDirectory)
{
    QString path = record.path;
    if (isDirectory && !path.endsWith(u'/')) {
        path.append(u'/');
    }
    return QUrl::fromLocalFile(path);
}

} // namespace

QByteArray create(const QUrl &url, Access access)
{
    if (!url.isLocalFile()) {
        throw CocoaError(CocoaError::fileNoSuchFile);
    }
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QByteArray encodedPath = QFile::encodeName(path);
    struct stat status
    {
    };
    if (!path.startsWith(u'/') || ::stat(encodedPath.constData(), &status) != 0) {
        throw Errno(path.startsWith(u'/') ? errno : ENOENT);
    }
    if (access == Access::readWrite && ::access(encodedPath.constData(), W_OK) != 0) {
        throw Errno(errno);
    }
    BookmarkRecord record;
    record.path = path;
    record.device = status.st_dev;
    record.inode = status.st_ino;
    record.isDirectory = S_ISDIR(status.st_mode);
    record.isReadOnly = access == Access::readOnly;
    return record.encoded();
}

std::optional<Resolution> resolve(const QByteArray &data)
{
    const auto record = BookmarkRecord::decode(data);
    if (!record) {
        return std::nullopt;
    }
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(record->path).constData(), &status) != 0) {
        return std::nullopt;
    }
    const bool sameItem = status.st_dev == record->device && status.st_ino == record->inode;
    return Resolution { locationOf(*record, S_ISDIR(status.st_mode)), !sameItem };
}

std::optional<QUrl> recordedURL(const QByteArray &data)
{
    const auto record = BookmarkRecord::decode(data);
    if (!record) {
        return std::nullopt;
    }
    return locationOf(*record, record->isDirectory);
}

bool startAccessingSecurityScopedResource(const QUrl &)
{
    return true;
}

void stopAccessingSecurityScopedResource(const QUrl &) { }

} // namespace BookmarkData
