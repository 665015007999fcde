#include "platform/events/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

Contents unread(Contents::Status status, const QString &failure = {})
{
    return { status, {}, 0, failure };
}

QString systemText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Contents read(const QString &path, qint64 limit)
{
    using Status = Contents::Status;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return unread(errno == ENOENT ? Status::missing : Status::failed, systemText());
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unread(Status::failed, file.errorString());
    }
    // Asked of the open file, so that what is read is what was checked.
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0) {
        return unread(Status::failed, systemText());
    }
    if (!S_ISREG(info.st_mode)) {
        return unread(Status::notRegular);
    }
    Contents contents { Status::tooLarge, {}, info.st_size, {} };
    if (contents.size > limit) {
        return contents;
    }
    // One byte more than the limit shows a file that grew meanwhile.
    contents.bytes = limit == std::numeric_limits<qint64>::max() ? file.readAll() : file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        return unread(Status::failed, file.errorString());
    }
    if (contents.bytes.size() > limit) {
        contents.size = contents.bytes.size();
        contents.bytes.clear();
        return contents;
    }
    contents.status = Status::read;
    return contents;
}

} // namespace RegularFile
