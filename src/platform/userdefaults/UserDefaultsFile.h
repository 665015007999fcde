#pragma once

#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaultsFileIdentity.h"

#include <QString>

#include <cstdint>
#include <optional>

// The file of one suite. Writes are atomic (temporary file, fsync, rename, fsync of the
// directory), so a crash leaves either the old or the new file. The directory is 0700 and the
// file 0600: preferences may name private locations.
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

    private:
        int m_fd = -1;
    };

    // $XDG_CONFIG_HOME/tapewick (or ~/.config/tapewick); "defaults.json" for the standard suite,
    // "suite.<name>.json" for a named one, the name percent-encoded.
    static QString pathForSuite(const std::string &suiteName);

    explicit UserDefaultsFile(QString path);

    const QString &path() const { return m_path; }
    QString directory() const;
    QString fileName() const;

    Identity currentIdentity() const;

    // A missing file is an empty document. A file that does not parse is renamed to a
    // timestamped name beside it (never deleted), logged, and none is returned.
    std::optional<PropertyJson::Document> load(Identity *identity) const;

    // False (and logged) when the file could not be written; the old file then stays.
    bool write(const PropertyJson::Document &document, Identity *identity) const;

    // Creates the directory with mode 0700 when it is missing.
    bool ensureDirectory() const;

private:
    QString m_path;
};
