#pragma once

#include <QUrl>

// Copies a file or a directory tree. With `overwrite` an existing destination is replaced by a
// complete copy made beside it, and stays as it was when the copy fails. Throws CocoaError:
// fileWriteFileExists when the destination exists, fileReadNoSuchFile when the source is missing,
// fileWriteUnknown for other failures; a failed copy leaves no partial destination behind.
void copyItem(const QUrl &source, const QUrl &destination, bool overwrite = false);

// Copies (or, with `move`, moves) the item to `destination`; when that name is taken, tries
// "name (1).ext", "name (2).ext" and so on, and after 1000 numbers a UUID in place of the
// number. Never replaces an existing item. Returns the location finally written.
QUrl copyOrMoveItemUniquely(const QUrl &source, const QUrl &destination, bool move);
