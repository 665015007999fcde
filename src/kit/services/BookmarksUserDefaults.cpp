#include "kit/services/BookmarksUserDefaults.h"

#include "preferences/DefaultsMigration.h"

BookmarksUserDefaults::BookmarksUserDefaults(std::shared_ptr<UserDefaults> suite)
    : m_userDefaultsKey(SecurityScopedBookmarkManager::userDefaultsKey, Value {}, std::move(suite))
{ }

SecurityScopedBookmarkManager::Bookmarks BookmarksUserDefaults::read() const
{
    Defaults::migrate(m_userDefaultsKey);
    SecurityScopedBookmarkManager::Bookmarks bookmarks;
    for (const auto &[key, data] : Defaults::get(m_userDefaultsKey)) {
        bookmarks.emplace(QString::fromStdString(key), data);
    }
    return bookmarks;
}

void BookmarksUserDefaults::write(const SecurityScopedBookmarkManager::Bookmarks &bookmarks) const
{
    Value value;
    for (const auto &[key, data] : bookmarks) {
        value.emplace(key.toStdString(), data);
    }
    Defaults::set(m_userDefaultsKey, value);
}

SecurityScopedBookmarkManager::Store BookmarksUserDefaults::store(
    std::shared_ptr<const BookmarksUserDefaults> defaults)
{
    return { [defaults] { return defaults->read(); },
        [defaults](
            const SecurityScopedBookmarkManager::Bookmarks &bookmarks) { defaults->write(bookmarks); } };
}
