#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileDescriptor.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QString safeAppName()
{
    QString name = FoundationHooks::appName();
    name.replace(u'/', u'_');
    return name;
}

GeneralError parentError(const QString &parent, const QString &problem)
{
    return GeneralError(QStringLiteral("Could not use the temporary folder “%1”: %2").arg(parent, problem));
}

QString uppercaseUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

QString UniqueTemporaryDirectories::defaultBase()
{
    const QString base = qEnvironmentVariable("TAPEWICK_TEMPORARY_BASE");
    return base.isEmpty() ? QStringLiteral("/var/tmp") : base;
}

QString UniqueTemporaryDirectories::parentPath(const QString &base, const QString &purpose)
{
    QString name = QStringLiteral("%1-%2").arg(safeAppName()).arg(::getuid());
    if (!purpose.isEmpty()) {
        name += u'-' + purpose;
    }
    return QDir(base).filePath(name);
}

FileDescriptor UniqueTemporaryDirectories::openParent(const QString &parent)
{
    const QByteArray encoded = QFile::encodeName(parent);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        throw parentError(parent, Errno(errno).localizedDescription());
    }
    // Checked through the open descriptor, so the directory cannot be swapped in between.
    FileDescriptor directory(::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (directory.get() < 0) {
        throw parentError(parent, Errno(errno).localizedDescription());
    }
    struct stat status
    {
    };
    if (::fstat(directory.get(), &status) != 0) {
        throw parentError(parent, Errno(errno).localizedDescription());
    }
    if (status.st_uid != ::getuid()) {
        throw parentError(parent, QStringLiteral("it belongs to another user."));
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw parentError(parent, QStringLiteral("other users can write to it."));
    }
    return directory;
}

QString UniqueTemporaryDirectories::makeUniqueIn(const FileDescriptor &parent, const QString &parentPath)
{
    for (;;) {
        const QString name = uppercaseUuid();
        if (::mkdirat(parent.get(), QFile::encodeName(name).constData(), 0700) == 0) {
            // The umask may only have taken bits away; make sure nothing was added either.
            ::fchmodat(parent.get(), QFile::encodeName(name).constData(), 0700, 0);
            return name;
        }
        if (errno != EEXIST) {
            throw parentError(parentPath, Errno(errno).localizedDescription());
        }
    }
}

QUrl UniqueTemporaryDirectories::createIn(const QString &parent)
{
    const FileDescriptor directory = openParent(parent);
    return QUrl::fromLocalFile(QDir(parent).filePath(makeUniqueIn(directory, parent)));
}

QUrl UniqueTemporaryDirectories::create(const QString &base)
{
    return createIn(parentPath(base));
}

QUrl uniqueTemporaryDirectory(const std::optional<QUrl> &)
{
    try {
        return UniqueTemporaryDirectories::create();
    } catch (const Error &error) {
        (void)reported(error.clone());
    }
    return makeUniqueTemporaryDirectory();
}

QUrl makeUniqueTemporaryDirectory()
{
    const QString temporary = systemTemporaryPath();
    QByteArray pattern
        = QFile::encodeName(QDir(temporary).filePath(safeAppName() + QStringLiteral("-XXXXXX")));
    if (!::mkdtemp(pattern.data())) {
        const int code = errno;
        throw Errno(code,
            QStringLiteral("Could not create a temporary folder in “%1”: %2")
                .arg(temporary, Errno(code).localizedDescription()));
    }
    return QUrl::fromLocalFile(QFile::decodeName(pattern));
}

QUrl copyToUniqueTemporaryDirectory(const QUrl &file, const std::optional<QString> &filename)
{
    const QUrl directory = uniqueTemporaryDirectory();
    const QString name = filename.value_or(QFileInfo(file.toLocalFile()).fileName());
    const QUrl destination = QUrl::fromLocalFile(QDir(directory.toLocalFile()).filePath(name));
    copyItem(file, destination, false);
    return destination;
}
