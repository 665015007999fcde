#include "kit/foundation/files/FileIcon.h"

#include "kit/collections/MemoCache.h"

#include <QFileIconProvider>
#include <QFileInfo>

#include <chrono>

namespace {

QIcon lookUp(const QUrl &url)
{
    static QFileIconProvider provider;
    if (!url.isLocalFile()) {
        return provider.icon(QFileIconProvider::File);
    }
    const QFileInfo info(url.toLocalFile());
    if (!info.exists()) {
        return provider.icon(url.toLocalFile().endsWith(QLatin1Char('/')) ? QFileIconProvider::Folder
                                                                          : QFileIconProvider::File);
    }
    QIcon icon = provider.icon(info);
    return icon.isNull() ? provider.icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File)
                         : icon;
}

} // namespace

QIcon fileIcon(const QUrl &url)
{
    // A QIcon shares its data until it is changed, so the caller's copy never alters the cached one.
    return memoize(
        std::chrono::seconds(1), { url.toString(QUrl::FullyEncoded) }, [&] { return lookUp(url); });
}
