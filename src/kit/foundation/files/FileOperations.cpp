#include "kit/foundation/files/FileOperations.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/files/FileDescriptor.h"
#include "kit/foundation/files/FileTexts.h"
#include "kit/foundation/files/TreeRemoval.h"
#include "kit/foundation/text/StringHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

namespace {

constexpr int numberedAttempts = 1000;
constexpr int uuidAttempts = 16;

QVariantMap errorInfo(int code, const QString &path)
{
    return { { NSFilePathErrorKey, path },
        { NSUnderlyingErrorKey, QVariant::fromValue(ErrorPtr(std::make_shared<Errno>(code))) } };
}

// A failure to read the item at `path`, or one that no folder explains.
[[noreturn]] void throwFileError(int code, const QString &path, const QString &action)
{
    QVariantMap info = errorInfo(code, path);
    const QString name = QFileInfo(path).fileName();
    switch (code) {
    case EEXIST:
        info.insert(NSLocalizedDescriptionKey, FileTexts::alreadyExists(name, action));
        throw CocoaError(CocoaError::fileWriteFileExists, info);
    case ENOENT:
        info.insert(NSLocalizedDescriptionKey, FileTexts::noSuchFile(name));
        throw CocoaError(CocoaError::fileReadNoSuchFile, info);
    case ENOSPC:
    case EDQUOT:
        // Said as a full disk is said everywhere else, not in the system's own words.
        info.insert(NSLocalizedDescriptionKey, FileTexts::failed(name, action, FileTexts::diskFull()));
        throw CocoaError(CocoaError::fileWriteOutOfSpace, info);
    default:
        info.insert(
            NSLocalizedDescriptionKey, FileTexts::failed(name, action, Errno(code).localizedDescription()));
        throw CocoaError(CocoaError::fileWriteUnknown, info);
    }
}

QString shownName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

struct WriteFailure
{
    CocoaError::Code code;
    QString description;
};

// What kept the item at `path` from being made or written, told by the folder that was to hold it;
// none where the folder does not explain the failure.
std::optional<WriteFailure> writeFailure(int code, const QString &path, const QString &action)
{
    const QFileInfo item(path);
    const QString name = item.fileName();
    const QString folder = item.absolutePath();
    switch (code) {
    case EACCES:
    case EPERM:
        return WriteFailure { CocoaError::fileWriteNoPermission,
            FileTexts::noPermission(name, action, shownName(folder)) };
    case EROFS:
        return WriteFailure { CocoaError::fileWriteVolumeReadOnly,
            FileTexts::readOnlyFileSystem(name, action, shownName(folder)) };
    case ENOENT:
    case ENOTDIR:
        break;
    default:
        return std::nullopt;
    }
    // The nearest item that is there on the way up from the folder.
    QString existing = folder;
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        existing = QFileInfo(existing).absolutePath();
    }
    if (!QFileInfo(existing).isDir()) {
        return WriteFailure { CocoaError::fileNoSuchFile,
            FileTexts::notAFolder(name, action, shownName(existing)) };
    }
    if (existing != folder) {
        return WriteFailure { CocoaError::fileNoSuchFile,
            FileTexts::folderMissing(name, action, shownName(folder)) };
    }
    if (code == ENOENT) {
        // The folder is there and has no room for the item all the same: one of the system's own.
        return WriteFailure { CocoaError::fileWriteNoPermission,
            FileTexts::takesNoNewItems(name, action, shownName(folder)) };
    }
    return std::nullopt;
}

// A failure to make or write the item at `path`. The item being copied or moved is there, so a
// missing file would mislead: the words are about the folder.
[[noreturn]] void throwWriteError(int code, const QString &path, const QString &action)
{
    const std::optional<WriteFailure> failure = writeFailure(code, path, action);
    if (!failure) {
        throwFileError(code, path, action);
    }
    QVariantMap info = errorInfo(code, path);
    info.insert(NSLocalizedDescriptionKey, failure->description);
    throw CocoaError(failure->code, info);
}

// Only items the copy made itself are removed, in folders others may write too: through
// descriptors, a link as a link.
void removeItem(const QString &path)
{
    TreeRemoval::remove(path);
}

// Copies one regular file into a destination that must not exist yet.
void copyFile(const QString &source, const QString &destination, const struct stat &status)
{
    const FileDescriptor input(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) {
        throwFileError(errno, source, QStringLiteral("copied"));
    }
    const QByteArray target = QFile::encodeName(destination);
    FileDescriptor output(
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777));
    if (output.get() < 0) {
        throwWriteError(errno, destination, QStringLiteral("copied"));
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(input.get(), buffer, sizeof buffer);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int code = errno;
            ::unlink(target.constData());
            throwFileError(code, source, QStringLiteral("copied"));
        }
        for (ssize_t written = 0; written < count;) {
            const ssize_t step
                = ::write(output.get(), buffer + written, static_cast<size_t>(count - written));
            if (step < 0 && errno == EINTR) {
                continue;
            }
            if (step < 0) {
                const int code = errno;
                ::unlink(target.constData());
                throwWriteError(code, destination, QStringLiteral("copied"));
            }
            written += step;
        }
    }
    ::fchmod(output.get(), status.st_mode & 07777);
    const struct timespec times[2] = { status.st_atim, status.st_mtim };
    ::futimens(output.get(), times);
    // A write error may only show when the data reaches the disk.
    if (::fsync(output.get()) != 0 || !output.close()) {
        const int code = errno;
        ::unlink(target.constData());
        throwWriteError(code, destination, QStringLiteral("copied"));
    }
}

void copyTree(const QString &source, const QString &destination)
{
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(source).constData(), &status) != 0) {
        throwFileError(errno, source, QStringLiteral("copied"));
    }
    if (S_ISREG(status.st_mode)) {
        copyFile(source, destination, status);
        return;
    }
    if (S_ISLNK(status.st_mode)) {
        if (::symlink(QFile::encodeName(QFile::symLinkTarget(source)).constData(),
                QFile::encodeName(destination).constData())
            != 0) {
            throwWriteError(errno, destination, QStringLiteral("copied"));
        }
        return;
    }
    if (!S_ISDIR(status.st_mode)) {
        throwFileError(ENOTSUP, source, QStringLiteral("copied"));
    }
    if (::mkdir(QFile::encodeName(destination).constData(), 0700) != 0) {
        throwWriteError(errno, destination, QStringLiteral("copied"));
    }
    try {
        const QDir directory(source);
        for (const QString &name :
            directory.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            copyTree(directory.filePath(name), QDir(destination).filePath(name));
        }
    } catch (...) {
        removeItem(destination);
        throw;
    }
    ::chmod(QFile::encodeName(destination).constData(), status.st_mode & 07777);
}

void moveItem(const QString &source, const QString &destination)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return;
    }
    const int code = errno;
    // Another file system, or one that cannot rename without replacing: copy, then remove.
    if (code != EXDEV && code != EINVAL && code != ENOSYS) {
        struct stat present
        {
        };
        if (::lstat(from.constData(), &present) != 0) {
            throwFileError(errno, source, QStringLiteral("moved"));
        }
        throwWriteError(code, destination, QStringLiteral("moved"));
    }
    copyTree(source, destination);
    removeItem(source);
}

// `name` with `added` at the end, its end shortened as far as a file name's limit demands.
QString fittedName(const QString &name, const QString &added)
{
    return leadingWithinUtf8Bytes(name, NAME_MAX - added.toUtf8().size()) + added;
}

QString numberedName(const QString &path, const QString &number)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    // A name near the limit gives up the end of its stem rather than fail for want of room.
    return info.dir().filePath(fittedName(stem, QStringLiteral(" (%1)%2").arg(number, extension)));
}

// Copies `source` to the hidden `partial`; a failure names `shown`, the item the user asked for,
// and leaves nothing at `partial`.
void copyToPartial(const QString &source, const QString &partial, const QString &shown)
{
    try {
        copyTree(source, partial);
    } catch (const CocoaError &error) {
        if (!error.userInfo().value(NSFilePathErrorKey).toString().startsWith(partial)) {
            throw;
        }
        const QList<ErrorPtr> underlying = error.underlyingErrors();
        const auto *code
            = underlying.isEmpty() ? nullptr : dynamic_cast<const Errno *>(underlying.first().get());
        throwWriteError(code ? code->rawValue() : EIO, shown, QStringLiteral("copied"));
    }
}

// Gives the complete item at `partial` the name `path` unless something has it already; answers 0
// or the failure's errno. The item stays at `partial` on failure.
int takeName(const QString &partial, const QString &path)
{
    const int code = renameNoReplace(partial, path);
    if (code != EOPNOTSUPP) {
        return code;
    }
    // A directory tree on a file system that can refuse neither way: checked first, then renamed.
    const QByteArray to = QFile::encodeName(path);
    struct stat present
    {
    };
    if (::lstat(to.constData(), &present) == 0) {
        return EEXIST;
    }
    return ::rename(QFile::encodeName(partial).constData(), to.constData()) == 0 ? 0 : errno;
}

int systemRenameNoReplace(const char *from, const char *to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

NoReplaceCalls noReplaceCalls { &systemRenameNoReplace, &::link };

} // namespace

QString partialItemPath(const QString &path)
{
    const QFileInfo target(path);
    // The tag keeps it unique, so a long name may give up its end: any name the item may take
    // has a hidden one.
    return target.dir().filePath(fittedName(u'.' + target.fileName(),
        QStringLiteral(".%1.part").arg(QUuid::createUuid().toString(QUuid::Id128))));
}

bool isPartialItemName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[0-9a-f]{32}\\.part$"));
    return pattern.match(fileName).hasMatch();
}

QStringList removePartialItemsIn(const QString &folder)
{
    QStringList removed;
    // A folder others write to may hold someone else's item under such a name: the owner is
    // checked, and the name is never looked up again but through the folder's descriptor.
    const FileDescriptor directory(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.isValid()) {
        return removed;
    }
    for (const QByteArray &name : TreeRemoval::entryNames(directory.get())) {
        const QString decoded = QFile::decodeName(name);
        struct stat status
        {
        };
        if (isPartialItemName(decoded)
            && ::fstatat(directory.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
            && status.st_uid == ::getuid() && TreeRemoval::removeAt(directory.get(), name) == 0) {
            removed.append(decoded);
        }
    }
    return removed;
}

int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (noReplaceCalls.renameNoReplace(source.constData(), target.constData()) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    if (noReplaceCalls.link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return 0;
    }
    // No hard links here, or none of a directory.
    return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS ? EOPNOTSUPP : errno;
}

NoReplaceCalls setNoReplaceCalls(NoReplaceCalls calls)
{
    return std::exchange(noReplaceCalls, calls);
}

void copyItem(const QUrl &source, const QUrl &destination, bool overwrite)
{
    const QString to = destination.toLocalFile();
    struct stat from
    {
    };
    struct stat existing
    {
    };
    const bool sameItem = ::stat(QFile::encodeName(source.toLocalFile()).constData(), &from) == 0
        && ::stat(QFile::encodeName(to).constData(), &existing) == 0 && from.st_dev == existing.st_dev
        && from.st_ino == existing.st_ino;
    // The source itself is never replaced; the copy below refuses the existing name.
    struct stat present
    {
    };
    const bool destinationExists = ::lstat(QFile::encodeName(to).constData(), &present) == 0;
    if (destinationExists && (!overwrite || sameItem)) {
        throwFileError(EEXIST, to, QStringLiteral("copied"));
    }
    // The copy takes its name only once complete on disk, so an interrupted copy never passes for
    // the item, and a failure leaves an item that was to be replaced as it was.
    const QString partial = partialItemPath(to);
    copyToPartial(source.toLocalFile(), partial, to);
    if (!destinationExists) {
        if (const int code = takeName(partial, to); code != 0) {
            removeItem(partial);
            throwWriteError(code, to, QStringLiteral("copied"));
        }
        return;
    }
    const QByteArray made = QFile::encodeName(partial);
    const QByteArray onto = QFile::encodeName(to);
    // Exchanging also replaces a directory tree; a plain rename replaces a file where the file
    // system cannot exchange.
    if (::renameat2(AT_FDCWD, made.constData(), AT_FDCWD, onto.constData(), RENAME_EXCHANGE) == 0) {
        removeItem(partial);
        return;
    }
    if (::rename(made.constData(), onto.constData()) != 0) {
        const int code = errno;
        removeItem(partial);
        throwWriteError(code, to, QStringLiteral("copied"));
    }
}

QUrl copyOrMoveItemUniquely(const QUrl &source, const QUrl &destination, bool move)
{
    const QString base = destination.toLocalFile();
    // A copy is made once, hidden, and then takes the first free name.
    const QString partial = move ? QString() : partialItemPath(base);
    if (!move) {
        copyToPartial(source.toLocalFile(), partial, base);
    }
    for (int attempt = 0; attempt <= numberedAttempts + uuidAttempts; ++attempt) {
        QString candidate = base;
        if (attempt > numberedAttempts) {
            candidate = numberedName(base, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        } else if (attempt > 0) {
            candidate = numberedName(base, QString::number(attempt));
        }
        if (move) {
            try {
                moveItem(source.toLocalFile(), candidate);
                return QUrl::fromLocalFile(candidate);
            } catch (const CocoaError &error) {
                if (error.code() != CocoaError::fileWriteFileExists
                    || attempt == numberedAttempts + uuidAttempts) {
                    throw;
                }
            }
            continue;
        }
        const int code = takeName(partial, candidate);
        if (code == 0) {
            return QUrl::fromLocalFile(candidate);
        }
        if (code != EEXIST || attempt == numberedAttempts + uuidAttempts) {
            removeItem(partial);
            throwWriteError(code, candidate, QStringLiteral("copied"));
        }
    }
    Q_UNREACHABLE();
}
