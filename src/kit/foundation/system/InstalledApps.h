#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

// Installed applications by bundle identifier, which on this desktop is the desktop-file ID.
// Answers are remembered for one second, so they are cheap to ask often.
namespace InstalledApps {

using AppURLOverride = std::function<std::optional<QUrl>(const QString &bundleIdentifier)>;
using AppNameOverride = std::function<std::optional<QString>(const QString &bundleIdentifier)>;

// Replace the lookups (tests, previews); set them before lookups start. An empty function
// restores the real lookup.
void setAppURLOverride(AppURLOverride lookup);
void setAppNameOverride(AppNameOverride lookup);

// The location of the application's desktop entry; none when it is not installed.
std::optional<QUrl> appURL(const QString &bundleIdentifier);
// The name the desktop shows for the application; none when it is not installed.
std::optional<QString> appName(const QString &bundleIdentifier);
// The localized name of the desktop entry at `url`, else its file name without ".desktop".
QString appDisplayName(const QUrl &url);

// Opens the URLs with the application, without asking the user. Throws GeneralError
// "Could not find app “…”." when it is not installed, and "Could not open “…”." with the
// desktop's reason when it cannot be started; both name it as appName() does.
QCoro::Task<> openURLs(QList<QUrl> urls, QString bundleIdentifier, bool activate);

} // namespace InstalledApps
