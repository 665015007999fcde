#pragma once

#include <QString>

// Progress on the application's launcher entry, as docks and task bars that follow the
// launcher-entry signal on the session bus show it.
namespace LauncherEntry {

// Announces `progress` (0…1) for the desktop entry `desktopId` (without ".desktop"), shown or
// not. False when there is no session bus to announce it on.
bool updateProgress(const QString &desktopId, double progress, bool visible);

} // namespace LauncherEntry
