#pragma once

#include "kit/foundation/errors/Error.h"

#include <QUrl>

// Whether the program can write where the user pointed, without touching what is there.
namespace WritabilityProbe {

// "The chosen directory is read-only and cannot be used.", made once.
const ErrorPtr &readOnlyDirectoryError();

// Writes and removes a new, uniquely named file: inside the directory that stands at `url`, at
// `url` itself when nothing stands there yet, or beside the item that does. Only the probe's own
// file is ever removed. Answers the write's error, or none.
ErrorPtr probe(const QUrl &url);

// A directory passes when the file system says it is writable (the read-only error otherwise);
// anything else passes the probe.
ErrorPtr check(const QUrl &url);

} // namespace WritabilityProbe
