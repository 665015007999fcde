#pragma once

#include <QStringList>
#include <QUrl>

// Copies a file or a directory tree. The copy is made beside the destination under a hidden
// name (partialItemPath) and takes the destination's name only once complete, so a process
// killed meanwhile leaves no incomplete item under that name. With `overwrite` an existing
// destination is replaced by the complete copy, and stays as it was when the copy fails.
// Throws CocoaError: fileWriteFileExists when the destination exists, fileReadNoSuchFile when
// the source is missing; where the destination's folder cannot take the item, words on that
// folder (fileWriteNoPermission, fileWriteVolumeReadOnly, fileNoSuchFile for a folder missing or a
// file in its place); fileWriteUnknown for other failures. A failed copy leaves no partial
// destination behind.
void copyItem(const QUrl &source, const QUrl &destination, bool overwrite = false);

// Copies (or, with `move`, moves) the item to `destination`; when that name is taken, tries
// "name (1).ext", "name (2).ext" and so on, and after 1000 numbers a UUID in place of the
// number. Never replaces an existing item. A copy is made under a hidden name first, as by
// copyItem. Returns the location finally written.
QUrl copyOrMoveItemUniquely(const QUrl &source, const QUrl &destination, bool move);

// A hidden name beside `path` for an item being written that takes `path`'s name once complete.
QString partialItemPath(const QString &path);
// Whether `fileName` is such a name: an item left under one was interrupted.
bool isPartialItemName(const QString &fileName);
// Removes from the folder what interrupted copies left: items under such a name that are this
// user's. Answers the names removed.
QStringList removePartialItemsIn(const QString &folder);

// Gives the item at `from` the name `to` in one step that never replaces what is there: a rename
// that refuses to replace, or where the file system rejects that, a hard link and unlink. Answers
// 0 or the failure's errno: EEXIST when the name is taken, EOPNOTSUPP when the file system can do
// neither (the item then stays at `from`).
int renameNoReplace(const QString &from, const QString &to);

// The system calls renameNoReplace makes; each answers as the call does (0, or -1 and errno).
// Replaceable, so that the ways round a file system that refuses one can be tried anywhere.
// Returns the calls in use before.
struct NoReplaceCalls
{
    int (*renameNoReplace)(const char *from, const char *to);
    int (*link)(const char *from, const char *to);
};
NoReplaceCalls setNoReplaceCalls(NoReplaceCalls calls);
