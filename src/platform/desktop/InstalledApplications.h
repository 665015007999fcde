#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Installed applications as the desktop knows them: desktop entries in the `applications`
// folders of the XDG data directories, identified by their desktop-file IDs.
namespace InstalledApplications {

// The `applications` folders, most important first ($XDG_DATA_HOME, then $XDG_DATA_DIRS),
// as the environment says at the time of the call.
QStringList applicationDirectories();

// The desktop-file ID with its ".desktop" suffix; one given without it gets it.
QString normalizedDesktopId(const QString &desktopId);

// The desktop entry file of the application with that ID: the first match in directory order,
// where a file in a subfolder "a/b.desktop" has the ID "a-b.desktop". An entry marked hidden
// stands for a removed application and hides the others. None when nothing is installed.
std::optional<QString> desktopEntryPath(const QString &desktopId);

} // namespace InstalledApplications
