#pragma once

#include <QList>
#include <QUrl>

// Shows files selected in the user's file manager.
namespace FileManager {

// Asks the session's file manager to show the files selected; where none
// answers on the session bus, opens the folder of the first file instead.
// Symbolic links are resolved first. Returns at once.
void revealItems(const QList<QUrl> &files);

// The freedesktop file-manager service, for tests that stand in for it.
inline constexpr char serviceName[] = "org.freedesktop.FileManager1";
inline constexpr char objectPath[] = "/org/freedesktop/FileManager1";

} // namespace FileManager
