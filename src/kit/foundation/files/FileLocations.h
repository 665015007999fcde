#pragma once

#include <QMimeType>
#include <QStandardPaths>
#include <QUrl>

// A directory of the user's own (data, caches, …). When the system names none, prints
// "Could not get system directory: " and answers a place under the temporary directory.
QUrl systemDirectory(QStandardPaths::StandardLocation location);

// The application's subdirectory (its name) of a user directory, made when missing. Never
// fails: a failure to make it is reported and the location returned all the same.
QUrl applicationDirectory(QStandardPaths::StandardLocation location);
// The application's data and cache directories, each found once per process.
QUrl applicationSupportDirectory();
QUrl applicationCacheDirectory();

// The running user's home directory from the account database, found once per process.
QUrl realHomeDirectory();

// The path with the user's home directory at its start (whole components only) written "~".
QString abbreviatingHome(const QString &path);

// The folder for short-lived items: TMPDIR when it names one by its absolute path, whether or not
// it exists (so that making anything there fails naming it), else /tmp. Never empty nor relative,
// unlike QDir::tempPath(), which answers nothing for a TMPDIR that does not exist.
QString systemTemporaryPath();

// "/", the root of the file system.
const QUrl &rootDirectory();

// Writes the text as UTF-8 into "name.<suffix of the type>" inside a new unique temporary
// directory and returns the file's location.
QUrl writeTextToTemporaryFile(const QString &name, const QMimeType &contentType, const QString &text);

// Asks the application to quit on the next turn of the GUI thread's event loop.
void quitAppAsync();
