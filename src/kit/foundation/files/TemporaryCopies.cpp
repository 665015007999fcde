#include "kit/foundation/files/TemporaryCopies.h"

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>

namespace {

constexpr char purpose[] = "copies";

// Removes every directory in the locked parent whose lock nobody holds. A directory is made and
// locked under the parent's lock, so none is caught between the two.
void removeUnheldIn(const FileDescriptor &parent, const QString &parentPath)
{
    const QStringList names = QDir(parentPath).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const FileDescriptor directory(::openat(parent.get(), QFile::encodeName(name).constData(),
            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (directory.isValid() && ::flock(directory.get(), LOCK_EX | LOCK_NB) == 0) {
            QDir(QDir(parentPath).filePath(name)).removeRecursively();
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
        QDir(*m_directory).removeRecursively();
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
        const QString parentPath = TemporaryCopies::parentPath(base);
        const FileDescriptor parent(::open(
            QFile::encodeName(parentPath).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (parent.isValid() && ::flock(parent.get(), LOCK_EX) == 0) {
            removeUnheldIn(parent, parentPath);
        }
    }
}

QString TemporaryCopies::makeProcessDirectory(const QString &base)
{
    const QString parentPath = TemporaryCopies::parentPath(base);
    const FileDescriptor parent = UniqueTemporaryDirectories::openParent(parentPath);
    ::flock(parent.get(), LOCK_EX);
    removeUnheldIn(parent, parentPath);
    const QString name = UniqueTemporaryDirectories::makeUniqueIn(parent, parentPath);
    FileDescriptor lock(
        ::openat(parent.get(), QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ::flock(lock.get(), LOCK_EX);
    m_lock = std::move(lock);
    return QDir(parentPath).filePath(name);
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
        QDir(directory).removeRecursively();
        throw;
    }
    return destination;
}

void TemporaryCopies::remove(const QUrl &copy)
{
    const QString directory = QFileInfo(copy.toLocalFile()).path();
    const std::scoped_lock lock(m_mutex);
    if (m_directory && QFileInfo(directory).path() == *m_directory) {
        QDir(directory).removeRecursively();
    }
}

std::optional<QString> TemporaryCopies::directory() const
{
    const std::scoped_lock lock(m_mutex);
    return m_directory;
}
