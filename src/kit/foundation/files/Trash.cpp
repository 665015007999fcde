#include "kit/foundation/files/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The canonical form of a path whose end may not exist yet: the deepest existing ancestor
// resolved, the rest appended.
std::optional<QString> canonicalPath(const QString &path)
{
    QString existing
        = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    QStringList missing;
    while (!QFileInfo::exists(existing)) {
        const QFileInfo info(existing);
        if (info.isRoot() || existing.isEmpty()) {
            return std::nullopt;
        }
        missing.prepend(info.fileName());
        existing = info.path();
    }
    QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonical.isEmpty()) {
        return std::nullopt;
    }
    for (const QString &component : missing) {
        canonical = QDir(canonical).filePath(component);
    }
    return canonical;
}

QStringList components(const QString &path)
{
    return path.split(u'/', Qt::SkipEmptyParts);
}

std::optional<dev_t> deviceOf(const QString &path)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return status.st_dev;
}

// The nearest existing directory at or above `path`.
QString existingAncestor(QString path)
{
    while (!QFileInfo::exists(path) && !QFileInfo(path).isRoot()) {
        path = QFileInfo(path).path();
    }
    return path;
}

// The top directory of the file system that holds `path`.
QString mountTop(const QString &path, dev_t device)
{
    QString top = path;
    while (!QFileInfo(top).isRoot()) {
        const QString parent = QFileInfo(top).path();
        if (deviceOf(parent) != device) {
            break;
        }
        top = parent;
    }
    return top;
}

bool isDirectoryNotLink(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

URLRelationship relationship(const QUrl &directory, const QUrl &item)
{
    if (!directory.isLocalFile() || !item.isLocalFile() || !QFileInfo(directory.toLocalFile()).isDir()) {
        return URLRelationship::other;
    }
    const auto directoryPath = canonicalPath(directory.toLocalFile());
    const auto itemPath = canonicalPath(item.toLocalFile());
    if (!directoryPath || !itemPath) {
        return URLRelationship::other;
    }
    const QStringList outer = components(*directoryPath);
    const QStringList inner = components(*itemPath);
    if (inner.size() < outer.size() || inner.mid(0, outer.size()) != outer) {
        return URLRelationship::other;
    }
    return inner.size() == outer.size() ? URLRelationship::same : URLRelationship::contains;
}

QString Trash::homeTrashPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Trash"));
}

std::optional<QString> Trash::directoryFor(const QString &path)
{
    const auto canonical = canonicalPath(path);
    if (!canonical) {
        return std::nullopt;
    }
    const QString anchor = existingAncestor(*canonical);
    const auto device = deviceOf(anchor);
    const QString homeTrash = homeTrashPath();
    if (!device) {
        return std::nullopt;
    }
    if (deviceOf(existingAncestor(homeTrash)) == device) {
        return homeTrash;
    }
    const QDir top(mountTop(anchor, *device));
    const QString uid = QString::number(::getuid());
    const QString shared = top.filePath(QStringLiteral(".Trash"));
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(shared).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && (status.st_mode & S_ISVTX) != 0 && isDirectoryNotLink(QDir(shared).filePath(uid))) {
        return QDir(shared).filePath(uid);
    }
    const QString own = top.filePath(QStringLiteral(".Trash-") + uid);
    if (isDirectoryNotLink(own)) {
        return own;
    }
    return std::nullopt;
}

bool isInTrash(const QUrl &url)
{
    if (!url.isLocalFile()) {
        return false;
    }
    const auto trash = Trash::directoryFor(url.toLocalFile());
    if (!trash) {
        return false;
    }
    if (relationship(QUrl::fromLocalFile(*trash), url) == URLRelationship::contains) {
        return true;
    }
    return url.toLocalFile().contains(QStringLiteral("/File Provider Storage/photospicker/.Trash/"));
}
