#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Opening things the way the desktop does.
namespace DesktopLauncher {

// Opens the URL with the user's preferred application for it; false when nothing could. A local
// page with a section or a query goes to the web browser, as the desktop's file openers would
// drop both; only without a browser is it opened as a file. An address without a scheme names
// nothing to open: false.
bool openUrl(const QUrl &url);

// The desktop entry of the user's web browser (the handler of https addresses); none when the
// desktop has none.
std::optional<QString> defaultWebBrowser();
// The desktop entry of the user's mail program (the handler of mailto: addresses); none when the
// desktop has none.
std::optional<QString> defaultMailProgram();

// Starts the application of a desktop entry with the URLs as its arguments, as its Exec line
// asks for them (files as paths, other URLs as they are). The error text when the entry cannot
// be used or the program cannot be started, none on success.
std::optional<QString> openUrlsWithApplication(const QList<QUrl> &urls, const QString &desktopEntryPath);

} // namespace DesktopLauncher
