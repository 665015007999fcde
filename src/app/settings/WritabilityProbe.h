#pragma once

#include "kit/foundation/errors/Error.h"

#include <QUrl>

// Whether the program can write where the user pointed, without touching what is there.
namespace WritabilityProbe {

// "The chosen directory is read-only and cannot be used.", made once.
const ErrorPtr &readOnlyDirectoryError();

// "The chosen directory cannot be used: it is, or lies in, one of Tapewick's temporary folders…",
// made once.
const ErrorPtr &temporaryDirectoryError();

// "The chosen directory cannot be used: its path is not valid UTF-8 text…", made once.
const ErrorPtr &unnamableDirectoryError();

// The error above for a location whose path is not valid UTF-8: the program's paths are text and
// would name another item. Such a location arrives percent-encoded in a URL, or as a path whose
// undecodable bytes became replacement characters, where nothing of that name stands.
ErrorPtr checkName(const QUrl &url);

// Writes and removes a new, uniquely named file: inside the directory that stands at `url`, at
// `url` itself when nothing stands there yet, or beside the item that does. Only the probe's own
// file is ever removed. Answers the write's error, or none.
ErrorPtr probe(const QUrl &url);

// A location must pass checkName and lie outside the program's temporary folders, whose contents
// are removed (the temporary-directory error otherwise); then a directory passes when the file
// system says it is writable (the read-only error otherwise), anything else when it passes the probe.
ErrorPtr check(const QUrl &url);

} // namespace WritabilityProbe
