#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Opening things the way the desktop does.
namespace DesktopLauncher {

// Opens the URL with the user's preferred application for it; false when nothing could.
bool openUrl(const QUrl &url);

// Starts the application of a desktop entry with the URLs as its arguments, as its Exec line
// asks for them (files as paths, other URLs as they are). The error text when the entry cannot
// be used or the program cannot be started, none on success.
std::optional<QString> openUrlsWithApplication(const QList<QUrl> &urls, const QString &desktopEntryPath);

} // namespace DesktopLauncher
