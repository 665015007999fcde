#include "kit/services/BookmarksUserDefaults.h"

#include "preferences/DefaultsMigration.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The stored entries: those of the dictionary, or, when an older JSON text was too broken for the
// migration to take whole, its members, each as the older text of one entry.
PropertyDictionary storedEntries(const UserDefaults &suite, const std::string &name)
{
    const std::optional<PropertyValue> stored = suite.object(name);
    if (!stored) {
        return {};
    }
    if (const PropertyDictionary *entries = stored->as<PropertyDictionary>()) {
        return *entries;
    }
    const std::string *text = stored->as<std::string>();
    if (text == nullptr) {
        return {};
    }
    const QJsonObject members = QJsonDocument::fromJson(QByteArray::fromStdString(*text)).object();
    PropertyDictionary entries;
    for (auto member = members.begin(); member != members.end(); ++member) {
        if (std::optional<std::string> fragment = Defaults::Detail::encodeJsonFragment(member.value())) {
            entries.insert_or_assign(member.key().toStdString(), PropertyValue(std::move(*fragment)));
        }
    }
    return entries;
}

} // namespace

BookmarksUserDefaults::BookmarksUserDefaults(std::shared_ptr<UserDefaults> suite)
    : m_userDefaultsKey(SecurityScopedBookmarkManager::userDefaultsKey, Value {}, std::move(suite))
{ }

SecurityScopedBookmarkManager::Bookmarks BookmarksUserDefaults::read() const
{
    Defaults::migrate(m_userDefaultsKey);
    // Entry by entry, so that one entry of another kind costs no other grant.
    SecurityScopedBookmarkManager::Bookmarks bookmarks;
    for (const auto &[key, entry] : storedEntries(*m_userDefaultsKey.suite(), m_userDefaultsKey.name())) {
        if (std::optional<QByteArray> data = Defaults::toValue<QByteArray>(entry)) {
            bookmarks.emplace(QString::fromStdString(key), std::move(*data));
        }
    }
    return bookmarks;
}

void BookmarksUserDefaults::write(const SecurityScopedBookmarkManager::Bookmarks &bookmarks) const
{
    UserDefaults &suite = *m_userDefaultsKey.suite();
    // An entry that read() left out may be another version's grant: written back as it is stored.
    PropertyDictionary entries = storedEntries(suite, m_userDefaultsKey.name());
    std::erase_if(
        entries, [](const auto &entry) { return Defaults::toValue<QByteArray>(entry.second).has_value(); });
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
