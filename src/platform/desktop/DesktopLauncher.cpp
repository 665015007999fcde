#include "platform/desktop/DesktopLauncher.h"

#include "platform/desktop/GLibIncludes.h"

#include <QDesktopServices>
#include <QFile>

namespace {

// The desktop entry of the default application for addresses of `scheme`, as the desktop's
// mimeapps.list files and installed entries name it.
std::optional<QString> defaultHandlerOf(const char *scheme)
{
    GAppInfo *handler = g_app_info_get_default_for_uri_scheme(scheme);
    if (!handler) {
        return std::nullopt;
    }
    std::optional<QString> path;
    if (G_IS_DESKTOP_APP_INFO(handler)) {
        if (const char *file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(handler))) {
            path = QFile::decodeName(file);
        }
    }
    g_object_unref(handler);
    return path;
}

} // namespace

namespace DesktopLauncher {

bool openUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme().isEmpty()) {
        return false;
    }
    if (url.isLocalFile() && (url.hasFragment() || url.hasQuery())) {
        if (const std::optional<QString> browser = defaultWebBrowser();
            browser && !openUrlsWithApplication({ url }, *browser)) {
            return true;
        }
    }
    return QDesktopServices::openUrl(url);
}

std::optional<QString> defaultWebBrowser()
{
    return defaultHandlerOf("https");
}

std::optional<QString> defaultMailProgram()
{
    return defaultHandlerOf("mailto");
}

std::optional<QString> openUrlsWithApplication(const QList<QUrl> &urls, const QString &desktopEntryPath)
{
    const QByteArray path = QFile::encodeName(desktopEntryPath);
    GDesktopAppInfo *application = g_desktop_app_info_new_from_filename(path.constData());
    if (!application) {
        return QStringLiteral("“%1” is not a usable application entry.").arg(desktopEntryPath);
    }
    QList<QByteArray> encoded;
    for (const QUrl &url : urls) {
        encoded.append(url.toEncoded());
    }
    GList *uris = nullptr;
    for (QByteArray &uri : encoded) {
        uris = g_list_append(uris, uri.data());
    }
    GError *error = nullptr;
    const bool launched = g_app_info_launch_uris(G_APP_INFO(application), uris, nullptr, &error);
    g_list_free(uris);
    g_object_unref(application);
    if (!launched) {
        QString message = error ? QString::fromUtf8(error->message) : QStringLiteral("Unknown failure.");
        g_clear_error(&error);
        return message;
    }
    return std::nullopt;
}

} // namespace DesktopLauncher
