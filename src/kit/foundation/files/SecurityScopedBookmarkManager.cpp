#include "kit/foundation/files/SecurityScopedBookmarkManager.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <mutex>

namespace {

Q_LOGGING_CATEGORY(grantLog, "tapewick.bookmarks")

// Until the preferences layer installs the real store, grants last as long as the process.
struct StoreSlot
{
    std::mutex mutex;
    SecurityScopedBookmarkManager::Store store;
    SecurityScopedBookmarkManager::Bookmarks inMemory;
};

StoreSlot &storeSlot()
{
    static StoreSlot slot;
    return slot;
}

QString canonicalPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

QUrl directoryLocation(const QString &path)
{
    return QUrl::fromLocalFile(path.endsWith(u'/') ? path : path + u'/');
}

std::mutex &promptLock()
{
    static std::mutex lock;
    return lock;
}

std::optional<QUrl> runPermissionPanel(const QUrl &url, const std::optional<QString> &message)
{
    OpenPanel panel;
    panel.setDelegate(std::make_shared<SecurityScopedBookmarkManager::PanelDelegate>(url));
    panel.setDirectory(url.toLocalFile());
    panel.setFileMode(QFileDialog::Directory);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    // Also hides the panel's "create folder" command.
    panel.setOption(QFileDialog::ReadOnly, true);
    panel.setWindowTitle(QStringLiteral("Permission"));
    panel.setMessage(message.value_or(
        QStringLiteral("%1 needs access to the %2 folder. Click “Allow” to proceed.")
            .arg(FoundationHooks::appName(), SecurityScopedBookmarkManager::displayName(url))));
    panel.setPrompt(QStringLiteral("Allow"));
    FoundationHooks::activateApp();
    if (panel.exec() != QDialog::Accepted || panel.selectedUrls().isEmpty()) {
        return std::nullopt;
    }
    const QUrl chosen = directoryLocation(panel.selectedUrls().constFirst().toLocalFile());
    const bool accessing = BookmarkData::startAccessingSecurityScopedResource(chosen);
    QByteArray data;
    try {
        data = BookmarkData::create(chosen);
    } catch (const Error &error) {
        if (accessing) {
            BookmarkData::stopAccessingSecurityScopedResource(chosen);
        }
        presentAsModal(error);
        return std::nullopt;
    }
    if (accessing) {
        BookmarkData::stopAccessingSecurityScopedResource(chosen);
    }
    SecurityScopedBookmarkManager::updateBookmark(data, chosen);
    return chosen;
}

} // namespace

void SecurityScopedBookmarkManager::setStore(Store store)
{
    std::lock_guard lock(storeSlot().mutex);
    storeSlot().store = std::move(store);
    storeSlot().inMemory.clear();
}

SecurityScopedBookmarkManager::Bookmarks SecurityScopedBookmarkManager::bookmarks()
{
    Store store;
    {
        std::lock_guard lock(storeSlot().mutex);
        if (!storeSlot().store.read) {
            return storeSlot().inMemory;
        }
        store = storeSlot().store;
    }
    return store.read();
}

std::optional<QByteArray> SecurityScopedBookmarkManager::bookmarkData(const QUrl &url)
{
    const auto all = bookmarks();
    const auto found = all.find(locationKey(url));
    if (found == all.end()) {
        return std::nullopt;
    }
    return found->second;
}

void SecurityScopedBookmarkManager::updateBookmark(const std::optional<QByteArray> &data, const QUrl &url)
{
    Bookmarks all = bookmarks();
    const QString key = locationKey(url);
    if (data) {
        all.insert_or_assign(key, *data);
    } else {
        all.erase(key);
    }
    Store store;
    {
        std::lock_guard lock(storeSlot().mutex);
        if (!storeSlot().store.write) {
            storeSlot().inMemory = std::move(all);
            return;
        }
        store = storeSlot().store;
    }
    store.write(all);
}

std::optional<QUrl> SecurityScopedBookmarkManager::storedURL(const QUrl &url)
{
    const auto data = bookmarkData(url);
    if (!data) {
        return std::nullopt;
    }
    const auto resolution = BookmarkData::resolve(*data);
    if (!resolution) {
        return std::nullopt;
    }
    if (resolution->isStale) {
        const bool accessing = BookmarkData::startAccessingSecurityScopedResource(resolution->url);
        std::optional<QByteArray> renewed;
        try {
            renewed = BookmarkData::create(resolution->url);
        } catch (const Error &) { }
        if (accessing) {
            BookmarkData::stopAccessingSecurityScopedResource(resolution->url);
        }
        if (!renewed) {
            return std::nullopt;
        }
        updateBookmark(renewed, resolution->url);
    }
    return resolution->url;
}

std::optional<QUrl> SecurityScopedBookmarkManager::promptForAccess(
    const QUrl &url, const std::optional<QString> &message)
{
    if (!QCoreApplication::instance()) {
        return std::nullopt;
    }
    if (Events::isMainThread()) {
        // The holder can only finish on this same thread, so waiting here would never end.
        std::unique_lock lock(promptLock(), std::try_to_lock);
        if (!lock.owns_lock()) {
            qCInfo(grantLog) << "A permission panel is open; not asking for" << url.toString();
            return std::nullopt;
        }
        return runPermissionPanel(url, message);
    }
    std::lock_guard lock(promptLock());
    std::optional<QUrl> granted;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { granted = runPermissionPanel(url, message); },
        Qt::BlockingQueuedConnection);
    return granted;
}

void SecurityScopedBookmarkManager::accessURL(const QUrl &url, const std::function<void()> &accessHandler)
{
    const QUrl directory = url.path().endsWith(u'/') ? url : url.adjusted(QUrl::RemoveFilename);
    std::optional<QUrl> location = storedURL(directory);
    if (!location) {
        location = promptForAccess(directory);
    }
    if (!location) {
        return;
    }
    const bool accessing = BookmarkData::startAccessingSecurityScopedResource(*location);
    std::optional<GeneralError> foreignFailure;
    try {
        accessHandler();
    } catch (const Error &error) {
        if (accessing) {
            BookmarkData::stopAccessingSecurityScopedResource(*location);
        }
        presentAsModal(error);
        return;
    } catch (const std::exception &error) {
        foreignFailure = GeneralError(QString::fromLocal8Bit(error.what()));
    }
    if (accessing) {
        BookmarkData::stopAccessingSecurityScopedResource(*location);
    }
    if (foreignFailure) {
        presentAsModal(*foreignFailure);
    }
}

QString SecurityScopedBookmarkManager::locationKey(const QUrl &url)
{
    const QString path = canonicalPath(url.toLocalFile());
    const bool isDirectory = url.path().endsWith(u'/') || QFileInfo(path).isDir();
    return (isDirectory ? directoryLocation(path) : QUrl::fromLocalFile(path)).toString();
}

QString SecurityScopedBookmarkManager::displayName(const QUrl &url)
{
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (path == QStringLiteral("/")) {
        return QStringLiteral("root");
    }
    return QStringLiteral("“%1”").arg(QFileInfo(path).fileName());
}

SecurityScopedBookmarkManager::PanelDelegate::PanelDelegate(const QUrl &requested)
    : m_currentPath(canonicalPath(requested.toLocalFile()))
{ }

ErrorPtr SecurityScopedBookmarkManager::PanelDelegate::validateUrl(const QUrl &url)
{
    if (canonicalPath(url.toLocalFile()) == m_currentPath) {
        return {};
    }
    return NSError::appError(QStringLiteral("Incorrect directory."),
        QStringLiteral("Select the directory “%1”.").arg(abbreviatingHome(m_currentPath)))
        .clone();
}
