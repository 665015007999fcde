#include "kit/services/BookmarksUserDefaults.h"
#include "kit/services/KwApp.h"

#include "FileContents.h"

#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaults.h"
#include "platform/userdefaults/UserDefaultsFile.h"

#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Manager = SecurityScopedBookmarkManager;
const std::string key = Manager::userDefaultsKey;

// A settings file as an earlier version left it: one entry holding `stored`.
std::shared_ptr<UserDefaults> suiteFromFile(const std::string &suite, PropertyValue stored)
{
    TestSupport::writeFile(UserDefaultsFile::pathForSuite(suite),
        QByteArray::fromStdString(PropertyJson::encodeDocument({ { key, std::move(stored) } })));
    return UserDefaults::suite(suite);
}

// What the settings file holds now under the key.
std::optional<PropertyValue> onDisk(const UserDefaults &database)
{
    const QByteArray text = TestSupport::readFile(database.filePath());
    const auto document = PropertyJson::decodeDocument(std::string_view(text.constData(), text.size()));
    if (!document) {
        return std::nullopt;
    }
    const auto found = document->values.find(key);
    return found == document->values.end() ? std::nullopt : std::optional(found->second);
}

} // namespace

// An earlier version kept the grants as JSON text, their data in base64: read through the one
// migration of the preferences store, and written back in today's form.
TEST(BookmarksUserDefaultsTest, AnOlderSettingsFileIsMigratedAndUnknownTextStaysAsItIs)
{
    const QByteArray data("bookmark bytes \x01\xff", 16);
    const struct
    {
        const char *suite;
        std::string stored;
        Manager::Bookmarks read;
        PropertyValue::Kind kept;
    } cases[] = {
        { "older", "{\"file:///home/me/Music/\":\"" + data.toBase64().toStdString() + "\"}",
            { { "file:///home/me/Music/", data } }, PropertyValue::Kind::Dictionary },
        { "unknown", "{\"a\": 5}", {}, PropertyValue::Kind::String },
        { "not-json", "no bookmarks here", {}, PropertyValue::Kind::String },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.suite);
        const std::shared_ptr<UserDefaults> database = suiteFromFile(c.suite, PropertyValue(c.stored));
        const BookmarksUserDefaults defaults(database);
        EXPECT_EQ(defaults.read(), c.read);
        const std::optional<PropertyValue> stored = onDisk(*database);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->kind(), c.kept);
    }
}

// A stored entry this version cannot read costs no other grant, in a dictionary (data entries, or
// each the older text of one entry) as in an older text the migration cannot take whole; the next
// grant writes it back as it was.
TEST(BookmarksUserDefaultsTest, AnUnreadableEntryCostsNoOtherGrantAndIsWrittenBackAsItWas)
{
    QTemporaryDir directory;
    const QUrl granted = QUrl::fromLocalFile(directory.path() + u'/');
    const QByteArray grant("new grant");
    const QByteArray music("music bookmark");
    const QByteArray older("older bookmark");
    const std::string olderText = '"' + older.toBase64().toStdString() + '"';
    struct Case
    {
        PropertyValue stored;
        Manager::Bookmarks read;
        PropertyDictionary kept;
    };
    std::vector<Case> cases {
        { PropertyValue("{\"file:///home/me/Older/\":" + olderText + ",\"file:///home/me/Other/\":[5]}"),
            { { "file:///home/me/Older/", older } }, { { "file:///home/me/Other/", PropertyValue("[5]") } } }
    };
    for (const PropertyValue &other : { PropertyValue(5), PropertyValue("not a bookmark"),
             PropertyValue(PropertyArray { PropertyValue(music) }), PropertyValue(true) }) {
        cases.push_back(
            { PropertyValue(PropertyDictionary { { "file:///home/me/Music/", PropertyValue(music) },
                  { "file:///home/me/Older/", PropertyValue(olderText) },
                  { "file:///home/me/Other/", other } }),
                { { "file:///home/me/Music/", music }, { "file:///home/me/Older/", older } },
                { { "file:///home/me/Other/", other } } });
    }
    int suiteNumber = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.debugDescription());
        const std::shared_ptr<UserDefaults> database
            = suiteFromFile("unreadable-" + std::to_string(++suiteNumber), c.stored);
        const auto defaults = std::make_shared<const BookmarksUserDefaults>(database);
        EXPECT_EQ(defaults->read(), c.read);

        Manager::setStore(BookmarksUserDefaults::store(defaults));
        Manager::updateBookmark(grant, granted);
        Manager::setStore({});
        PropertyDictionary expected = c.kept;
        for (const auto &[key, data] : c.read) {
            expected.emplace(key.toStdString(), PropertyValue(data));
        }
        expected.emplace(Manager::locationKey(granted).toStdString(), PropertyValue(grant));
        const std::optional<PropertyValue> stored = onDisk(*database);
        ASSERT_TRUE(stored);
        EXPECT_EQ(*stored, PropertyValue(expected)) << stored->debugDescription();
    }
}

// The program's manager keeps its grants in the standard settings, where the next run finds them.
TEST(BookmarksUserDefaultsTest, TheServicesGiveTheManagerTheStandardSettings)
{
    QTemporaryDir directory;
    const QUrl location = QUrl::fromLocalFile(directory.path() + u'/');
    // The standard settings are the process's: start without grants and leave none behind.
    UserDefaults::standard()->removeObject(key);
    const auto forget = qScopeGuard([] {
        UserDefaults::standard()->removeObject(key);
        Manager::setStore({});
    });
    KwApp::installFoundationHooks();
    Manager::updateBookmark(BookmarkData::create(location), location);

    const BookmarksUserDefaults standard;
    const Manager::Bookmarks stored = standard.read();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->first, Manager::locationKey(location));
    const std::optional<PropertyValue> onFile = onDisk(*UserDefaults::standard());
    ASSERT_TRUE(onFile);
    ASSERT_EQ(onFile->kind(), PropertyValue::Kind::Dictionary);
    const PropertyDictionary *entries = onFile->as<PropertyDictionary>();
    ASSERT_TRUE(entries && entries->size() == 1u);
    EXPECT_NE(entries->begin()->second.as<QByteArray>(), nullptr) << "data, not text";
}
