#include "kit/foundation/files/TemporaryCopies.h"

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/TreeRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char purpose[] = "copies";
// Tries at a process directory that a sweep of another process keeps taking before it is locked.
constexpr int makeAttempts = 100;

bool isSameEntry(int parent, const QByteArray &name, int opened)
{
    struct stat named
    {
    };
    struct stat held
    {
    };
    return ::fstatat(parent, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && ::fstat(opened, &held) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

// Removes the process directories in the checked parent whose lock nobody holds. Only the
// program's own names are looked at, a lock held elsewhere is passed over rather than waited on,
// and all of it goes through the descriptors checked.
void removeUnheldIn(const FileDescriptor &parent)
{
    for (const QByteArray &name : TreeRemoval::entryNames(parent.get())) {
        if (!UniqueTemporaryDirectories::isUniqueName(name)) {
            continue;
        }
        const FileDescriptor directory(
            ::openat(parent.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status
        {
        };
        if (!directory.isValid() || ::fstat(directory.get(), &status) != 0 || status.st_uid != ::getuid()
            || ::flock(directory.get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        TreeRemoval::removeContents(directory.get());
        if (isSameEntry(parent.get(), name, directory.get())) {
            ::unlinkat(parent.get(), name.constData(), AT_REMOVEDIR);
        }
    }
}

} // namespace

TemporaryCopies::TemporaryCopies(QString base, QString fallbackBase)
    : m_base(std::move(base))
    , m_fallbackBase(std::move(fallbackBase))
{ }

TemporaryCopies::~TemporaryCopies()
{
    if (m_directory) {
        TreeRemoval::remove(*m_directory);
    }
}

TemporaryCopies &TemporaryCopies::shared()
{
    static TemporaryCopies copies(UniqueTemporaryDirectories::defaultBase(), systemTemporaryPath());
    return copies;
}

QString TemporaryCopies::parentPath(const QString &base)
{
    return UniqueTemporaryDirectories::parentPath(base, QString::fromLatin1(purpose));
}

void TemporaryCopies::removeAbandoned() const
{
    for (const QString &base : { m_base, m_fallbackBase }) {
        if (base.isEmpty()) {
            continue;
        }
        try {
            if (const std::optional<FileDescriptor> parent
                = UniqueTemporaryDirectories::openExistingParent(parentPath(base))) {
                removeUnheldIn(*parent);
            }
        } catch (const Error &error) {
            // Someone else's folder, or one others can write: nothing in it is the program's to touch.
            (void)reported(error.clone());
        }
    }
}

QString TemporaryCopies::makeProcessDirectory(const QString &base)
{
    const QString parentPath = TemporaryCopies::parentPath(base);
    const FileDescriptor parent = UniqueTemporaryDirectories::openParent(parentPath);
    removeUnheldIn(parent);
    // No lock on the parent, which the sweeps never wait on: a new directory that another
    // process's sweep takes before it is locked here is made again.
    for (int attempt = 0; attempt < makeAttempts; ++attempt) {
        const QString name = UniqueTemporaryDirectories::makeUniqueIn(parent, parentPath);
        const QByteArray encoded = QFile::encodeName(name);
        FileDescriptor lock(
            ::openat(parent.get(), encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (lock.isValid() && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0
            && isSameEntry(parent.get(), encoded, lock.get())) {
            m_lock = std::move(lock);
            return QDir(parentPath).filePath(name);
        }
    }
    throw GeneralError(
        QStringLiteral("Could not make a folder for copies in “%1”: it kept being removed.").arg(parentPath));
}

QString TemporaryCopies::processDirectory()
{
    if (!m_directory) {
        try {
            m_directory = makeProcessDirectory(m_base);
        } catch (const Error &error) {
            if (m_fallbackBase.isEmpty()) {
                throw;
            }
            (void)reported(error.clone());
            m_directory = makeProcessDirectory(m_fallbackBase);
        }
    }
    return *m_directory;
}

QUrl TemporaryCopies::copy(const QUrl &file)
{
    QString directory;
    {
        const std::scoped_lock lock(m_mutex);
        directory = UniqueTemporaryDirectories::createIn(processDirectory()).toLocalFile();
    }
    const QUrl destination
        = QUrl::fromLocalFile(QDir(directory).filePath(QFileInfo(file.toLocalFile()).fileName()));
    try {
        copyItem(file, destination, false);
    } catch (...) {
        TreeRemoval::remove(directory);
        throw;
    }
    return destination;
}

void TemporaryCopies::remove(const QUrl &copy)
{
    const QString directory = QFileInfo(copy.toLocalFile()).path();
    const std::scoped_lock lock(m_mutex);
    if (m_directory && QFileInfo(directory).path() == *m_directory) {
        TreeRemoval::remove(directory);
    }
}

std::optional<QString> TemporaryCopies::directory() const
{
    const std::scoped_lock lock(m_mutex);
    return m_directory;
}
