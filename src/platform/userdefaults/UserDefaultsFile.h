#pragma once

#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaultsFileIdentity.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

// The file of one suite. Writes are atomic (temporary file, fsync, rename, fsync of the
// directory), so a crash leaves either the old or the new file. The directory is 0700 and the
// file 0600: preferences may name private locations. A file that is a symbolic link is written
// through to its target, so the link stays.
class UserDefaultsFile
{
public:
    using Identity = UserDefaultsFileIdentity;

    // Serialises read-merge-write cycles between processes through a lock file beside the file.
    class ProcessLock
    {
    public:
        explicit ProcessLock(const UserDefaultsFile &file);
        ~ProcessLock();
        ProcessLock(const ProcessLock &) = delete;
        ProcessLock &operator=(const ProcessLock &) = delete;

        // Without the lock another process may be half-way through its own write: no write then.
        bool isLocked() const { return m_fd >= 0; }
        const QString &failure() const { return m_failure; }

    private:
        int m_fd = -1;
        QString m_failure;
    };

    struct LoadResult
    {
        // None when nothing usable was read.
        std::optional<PropertyJson::Document> document;
        // Set when the file exists but could not be read: it must then never be replaced.
        std::optional<QString> refusal;
    };

    // Far above any real settings file; a bigger one is not ours to read whole.
    static constexpr qint64 maximumFileSize = 4 * 1024 * 1024;

    // $XDG_CONFIG_HOME/tapewick (or ~/.config/tapewick); "defaults.json" for the standard suite,
    // "suite.<name>.json" for a named one, the name percent-encoded.
    static QString pathForSuite(const std::string &suiteName);

    explicit UserDefaultsFile(QString path);

    const QString &path() const { return m_path; }
    QString directory() const;
    QString fileName() const;

    Identity currentIdentity() const;

    // A file that does not parse is read again this often, this far apart, before it counts as
    // broken: an editor that writes the file in place leaves it half-written for a moment.
    static constexpr int settleRereads = 4;
    static constexpr std::chrono::milliseconds settlePause { 50 };

    // A missing file is an empty document. A file that does not parse, and still does not once it
    // has had time to settle, is renamed to a timestamped name beside it (never deleted), logged,
    // and no document is returned. A file that cannot be read, is larger than maximumFileSize or
    // is no regular file (a FIFO is not waited on) gives a refusal and stays as it is.
    LoadResult load(Identity *identity) const;

    // False (and logged) when the file could not be written; the old file then stays.
    bool write(const PropertyJson::Document &document, Identity *identity) const;

    // Creates the directory with mode 0700 when it is missing.
    bool ensureDirectory() const;

private:
    // One reading of the file; `parseError` is set when it was read but does not parse.
    LoadResult readOnce(Identity *identity, QString *parseError) const;
    void moveAside(const QString &parseError) const;

    // The file a write replaces: the end of a chain of symbolic links, else the path itself.
    QString writeTarget() const;

    QString m_path;
};
