#pragma once

#include "kit/foundation/files/FileDescriptor.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// Recordings are written into unique directories that lie side by side in one private
// parent, `<base>/<app name>-<uid>`. The base is /var/tmp: it survives a crash and a reboot,
// and the system's own clean-up ages old directories out. TAPEWICK_TEMPORARY_BASE moves the
// base, so that test runs keep their recordings out of the user's "Recover Recordings…".
class UniqueTemporaryDirectories
{
public:
    static QString defaultBase();

    // Where the unique directories of this user lie; with a purpose, a parent of their own for
    // that purpose (`<app name>-<uid>-<purpose>`), apart from the recordings.
    static QString parentPath(const QString &base = defaultBase(), const QString &purpose = {});

    // A new, empty directory with mode 0700 in the parent, which is made (mode 0700) when
    // missing. Throws a GeneralError when the parent is not a directory of this user that
    // only this user can write (someone else may have made it first), or when making either
    // fails.
    static QUrl create(const QString &base = defaultBase());
    // The same in the given parent.
    static QUrl createIn(const QString &parent);

    // The parent, made when missing, open once it has passed the checks above; throws as create().
    // Everything the program keeps in a folder other users can write goes through here.
    static FileDescriptor openParent(const QString &parent);
    // The same for a parent that is only looked into: none when it is missing, never made.
    static std::optional<FileDescriptor> openExistingParent(const QString &parent);
    // The name of a new, empty directory with mode 0700 inside the open parent at `parentPath`.
    static QString makeUniqueIn(const FileDescriptor &parent, const QString &parentPath);
    // Whether `name` is one makeUniqueIn gives: nothing else in a parent is the program's to remove.
    static bool isUniqueName(const QByteArray &name);

    // The parents recordings may lie in, the usual one first: under the base, and under the system
    // temporary folder, where they go when the base cannot be used.
    static QStringList recordingParents();
    // Whether `path` is one of the program's temporary folders (recordings, copies, scratch) or lies
    // inside one, under either base: whatever is kept there is removed in time.
    static bool isInside(const QString &path);
};

// A new unique temporary directory for a recording or another temporary item. When the
// shared parent cannot be used, the failure is reported and a fresh private directory under
// the system temporary directory is made instead; throws only when that fails too. All
// directories of one user share one parent, wherever `appropriateFor` lies.
QUrl uniqueTemporaryDirectory(const std::optional<QUrl> &appropriateFor = std::nullopt);

// A new, empty private directory under the system temporary directory (TMPDIR when it is an
// absolute path, else /tmp).
QUrl makeUniqueTemporaryDirectory();

// Copies the file into a new unique temporary directory, under `filename` or its own name.
QUrl copyToUniqueTemporaryDirectory(const QUrl &file, const std::optional<QString> &filename = std::nullopt);
