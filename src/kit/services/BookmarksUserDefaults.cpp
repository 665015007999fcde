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
    // An entry that read() left out may be another version's grant: written back as it is stored.
    UserDefaults &suite = *m_userDefaultsKey.suite();
    PropertyDictionary entries;
    if (const std::optional<PropertyValue> stored = suite.object(m_userDefaultsKey.name())) {
        if (const PropertyDictionary *storedEntries = stored->as<PropertyDictionary>()) {
            for (const auto &[key, entry] : *storedEntries) {
                if (!Defaults::toValue<QByteArray>(entry)) {
                    entries.emplace(key, entry);
                }
            }
        }
    }
    for (const auto &[key, data] : bookmarks) {
        entries.insert_or_assign(key.toStdString(), PropertyValue(data));
    }
    suite.setObject(m_userDefaultsKey.name(), PropertyValue(std::move(entries)));
}

SecurityScopedBookmarkManager::Store BookmarksUserDefaults::store(
    std::shared_ptr<const BookmarksUserDefaults> defaults)
{
    return { [defaults] { return defaults->read(); },
        [defaults](
            const SecurityScopedBookmarkManager::Bookmarks &bookmarks) { defaults->write(bookmarks); } };
}
