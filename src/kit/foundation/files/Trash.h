#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// How one location lies relative to a directory.
enum class URLRelationship {
    contains = 0,
    same = 1,
    other = 2,
};

// Compares canonical paths (symbolic links resolved, "." and ".." gone) component by
// component; a directory that does not exist relates to nothing.
URLRelationship relationship(const QUrl &directory, const QUrl &item);

// The desktop's trash directories: the home trash under the data directory, and on other
// file systems "$topdir/.Trash/$uid" (a sticky, non-link ".Trash") or "$topdir/.Trash-$uid".
class Trash
{
public:
    static QString homeTrashPath();
    // The trash directory that items at `path` are moved to; nothing when that file system
    // has none.
    static std::optional<QString> directoryFor(const QString &path);
};

// Whether the location lies inside the trash that serves it (the trash directory itself
// does not count).
bool isInTrash(const QUrl &url);
