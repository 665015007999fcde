#include "platform/desktop/InstalledApplications.h"

#include "platform/desktop/DesktopEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace InstalledApplications {

namespace {

// Subfolders turn into "-" in an ID, so every "-" may have been a folder separator.
std::optional<QString> findIn(const QString &directory, const QString &rest)
{
    const QFileInfo direct(QDir(directory).filePath(rest));
    if (direct.isFile()) {
        return direct.filePath();
    }
    for (qsizetype dash = rest.indexOf(u'-'); dash > 0; dash = rest.indexOf(u'-', dash + 1)) {
        const QString subdirectory = QDir(directory).filePath(rest.left(dash));
        if (QFileInfo(subdirectory).isDir()) {
            if (auto found = findIn(subdirectory, rest.mid(dash + 1))) {
                return found;
            }
        }
    }
    return std::nullopt;
}

} // namespace

QStringList applicationDirectories()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

QString normalizedDesktopId(const QString &desktopId)
{
    static const QString suffix = QStringLiteral(".desktop");
    return desktopId.endsWith(suffix) ? desktopId : desktopId + suffix;
}

std::optional<QString> desktopEntryPath(const QString &desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(u'/')) {
        return std::nullopt;
    }
    const QString fileName = normalizedDesktopId(desktopId);
    for (const QString &directory : applicationDirectories()) {
        if (const auto found = findIn(directory, fileName)) {
            const auto entry = DesktopEntry::load(*found);
            if (entry && entry->isHidden()) {
                return std::nullopt;
            }
            if (entry && entry->isApplication()) {
                return found;
            }
        }
    }
    return std::nullopt;
}

} // namespace InstalledApplications
