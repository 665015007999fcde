#pragma once

#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "preferences/Defaults.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <string>

// The directory grants of SecurityScopedBookmarkManager as a preference: location text to
// bookmark data, empty by default. Every read first migrates the older JSON text form.
class BookmarksUserDefaults
{
public:
    using Value = std::map<std::string, QByteArray>;

    explicit BookmarksUserDefaults(std::shared_ptr<UserDefaults> suite = UserDefaults::standard());

    const Defaults::Key<Value> &userDefaultsKey() const { return m_userDefaultsKey; }

    // The entries that read as bookmark data (or as its older text), also from an older JSON text
    // that the migration cannot take whole; the others are left out.
    SecurityScopedBookmarkManager::Bookmarks read() const;
    // Stores the grants. A stored entry that read() leaves out stays as it is, unless a grant for
    // its location replaces it: what this version cannot read is never lost by its writing.
    void write(const SecurityScopedBookmarkManager::Bookmarks &bookmarks) const;

    // The manager's store over `defaults`, which it keeps.
    static SecurityScopedBookmarkManager::Store store(std::shared_ptr<const BookmarksUserDefaults> defaults);

private:
    Defaults::Key<Value> m_userDefaultsKey;
};
