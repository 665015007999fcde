#pragma once

#include <QCoro/QCoroTask>
#include <QUrl>

// Rewrites a saved M4A recording in place, without re-encoding, so that it names the application
// as the software that made it; the file keeps its extended attributes except the quarantine
// mark. A WAV recording is left alone. Throws (when awaited) the first failure; the file is then
// unchanged, since the rewrite replaces it by one rename. A file moved or deleted while the
// rewrite runs stays so. GUI thread.
QCoro::Task<> exportWithMetadata(QUrl url);
