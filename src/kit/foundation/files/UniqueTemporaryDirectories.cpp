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
#include <QRegularExpression>
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

// The parent open once it has passed the checks; none when it is missing and not to be made.
std::optional<FileDescriptor> openCheckedParent(const QString &parent, bool make)
{
    const QByteArray encoded = QFile::encodeName(parent);
    if (make && ::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        throw parentError(parent, Errno(errno).localizedDescription());
    }
    // Checked through the open descriptor, so the directory cannot be swapped in between.
    FileDescriptor directory(::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (directory.get() < 0) {
        if (!make && errno == ENOENT) {
            return std::nullopt;
        }
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

// `path` made absolute and clean, its links resolved as far as it exists, so that another way of
// writing a place compares equal.
QString resolvedPath(const QString &path)
{
    QString resolved = QDir::cleanPath(QDir(path).absolutePath());
    QString rest;
    while (!QFileInfo::exists(resolved) && resolved != QLatin1String("/")) {
        rest = u'/' + QFileInfo(resolved).fileName() + rest;
        resolved = QFileInfo(resolved).path();
    }
    const QString canonical = QFileInfo(resolved).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? resolved : canonical) + rest);
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
    return *openCheckedParent(parent, true);
}

std::optional<FileDescriptor> UniqueTemporaryDirectories::openExistingParent(const QString &parent)
{
    return openCheckedParent(parent, false);
}

bool UniqueTemporaryDirectories::isUniqueName(const QByteArray &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    return pattern.match(QString::fromLatin1(name)).hasMatch();
}

QStringList UniqueTemporaryDirectories::recordingParents()
{
    QStringList parents { parentPath(defaultBase()) };
    const QString fallback = parentPath(systemTemporaryPath());
    if (!parents.contains(fallback)) {
        parents.append(fallback);
    }
    return parents;
}

bool UniqueTemporaryDirectories::isInside(const QString &path)
{
    // The program's folders there: `<name>-<uid>`, `<name>-<uid>-<purpose>` and mkdtemp's `<name>-XXXXXX`.
    const QRegularExpression own(QStringLiteral("^%1-(%2(-.+)?|[A-Za-z0-9]{6})$")
                                     .arg(QRegularExpression::escape(safeAppName()))
                                     .arg(::getuid()));
    const QString resolved = resolvedPath(path);
    for (const QString &base : { defaultBase(), systemTemporaryPath() }) {
        const QString root = resolvedPath(base);
        const QString inBase = root == QLatin1String("/") ? root : root + u'/';
        if (resolved.startsWith(inBase)
            && own.match(resolved.mid(inBase.size()).section(u'/', 0, 0)).hasMatch()) {
            return true;
        }
    }
    return false;
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
    // The fallback parent is one "Recover Recordings…" looks in too, so what lands there is found
    // on a later day, when the base may be usable again.
    for (const QString &parent : UniqueTemporaryDirectories::recordingParents()) {
        try {
            return UniqueTemporaryDirectories::createIn(parent);
        } catch (const Error &error) {
            (void)reported(error.clone());
        }
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
