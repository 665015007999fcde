#pragma once

#include "kit/foundation/panels/OpenPanelDelegate.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <optional>

// Directories the user granted, kept as bookmarks in the preferences under one key and found
// by location; a directory without a usable bookmark is asked for in a permission panel.
class SecurityScopedBookmarkManager
{
public:
    // The preference the store keeps the grants under.
    static constexpr char userDefaultsKey[] = "__securityScopedBookmarks__";

    // Keys are the locations with symbolic links resolved (directories ending in "/").
    using Bookmarks = std::map<QString, QByteArray>;

    // Where the grants are kept: the preferences store, which lies above this layer, so the
    // application services install it at start-up. Without one (or with an empty one, which also
    // forgets what it held), grants last as long as the process.
    struct Store
    {
        std::function<Bookmarks()> read;
        std::function<void(const Bookmarks &)> write;
    };
    static void setStore(Store store);

    static Bookmarks bookmarks();
    static std::optional<QByteArray> bookmarkData(const QUrl &url);
    // Stores the bookmark of the location, or removes it when there is none.
    static void updateBookmark(const std::optional<QByteArray> &data, const QUrl &url);

    // The stored grant for the location; a stale bookmark is renewed on the way.
    static std::optional<QUrl> storedURL(const QUrl &url);
    // Asks the user to grant the directory and stores the grant. GUI thread: refused (none) while
    // another permission panel is open there; other threads wait for the open panel to close.
    static std::optional<QUrl> promptForAccess(const QUrl &url, const std::optional<QString> &message = {});
    // Runs `accessHandler` with the directory of `url` (itself when it ends in "/") granted,
    // asking for it first when needed. Nothing runs when the user declines. A failure of the
    // handler is shown to the user, not passed on.
    static void accessURL(const QUrl &url, const std::function<void()> &accessHandler);

    // The store's key for a location.
    static QString locationKey(const QUrl &url);
    // "root" for "/", else the last path component in curly quotes.
    static QString displayName(const QUrl &url);

    // The permission panel's judge: only the requested directory may be granted.
    class PanelDelegate : public OpenPanelDelegate
    {
    public:
        explicit PanelDelegate(const QUrl &requested);

        const QString &currentPath() const { return m_currentPath; }
        ErrorPtr validateUrl(const QUrl &url) override;

    private:
        QString m_currentPath;
    };
};
