#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

// Bookmarks of user-chosen items. There is no sandbox here: a bookmark is a BookmarkRecord of
// the item's path and identity, and access to the item needs no grant.
namespace BookmarkData {

enum class Access {
    // The scope of a chosen item the program may change; refused for an item it cannot write.
    readWrite,
    readOnly,
};

// Throws CocoaError fileNoSuchFile for a URL that is not a local file, Errno when the item
// cannot be examined, and Errno EACCES when read-write access is asked for an item the
// program may not write.
QByteArray create(const QUrl &url, Access access = Access::readWrite);

struct Resolution
{
    QUrl url; // a directory's ends with "/"
    // Something else stands at the bookmarked path now.
    bool isStale = false;
};

// None when the data is not a bookmark or nothing stands at its path any more.
std::optional<Resolution> resolve(const QByteArray &data);

// The location recorded in the data, without looking at the file system.
std::optional<QUrl> recordedURL(const QByteArray &data);

// Access to a chosen item needs no grant on this system: starting always succeeds.
bool startAccessingSecurityScopedResource(const QUrl &url);
void stopAccessingSecurityScopedResource(const QUrl &url);

} // namespace BookmarkData
