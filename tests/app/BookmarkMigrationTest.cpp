#include "app/AppMain.h"

#include "StandardDefaultsTest.h"

#include <gtest/gtest.h>

namespace {

using BookmarkMigrationTest = StandardDefaultsTest;

const QByteArray bookmark("bookmark\x00\x01", 10);

TEST_F(BookmarkMigrationTest, StoresBothBookmarksAsDataExceptOnTheFirstLaunch)
{
    struct Case
    {
        const char *name;
        std::optional<PropertyValue> stored;
        bool isFirstLaunch;
        std::optional<PropertyValue> expected;
    };
    const std::string oldText = "\"" + bookmark.toBase64().toStdString() + "\"";
    const std::vector<Case> cases {
        { "data stays data", PropertyValue(bookmark), false, PropertyValue(bookmark) },
        { "the older text form becomes data", PropertyValue(oldText), false, PropertyValue(bookmark) },
        { "nothing stored writes nothing", std::nullopt, false, std::nullopt },
        { "a value of another kind is left alone", PropertyValue(qint64(7)), false,
            PropertyValue(qint64(7)) },
        { "the first launch migrates nothing", PropertyValue(oldText), true, PropertyValue(oldText) },
    };
    for (const Case &test : cases) {
        for (const char *key : { "previousRecording", "defaultOutputDirectory" }) {
            standard().setObject(key, test.stored);
        }
        AppMain::migrateSandboxBookmarks(standard(), test.isFirstLaunch);
        for (const char *key : { "previousRecording", "defaultOutputDirectory" }) {
            EXPECT_EQ(standard().object(key), test.expected) << test.name << ": " << key;
        }
    }
}

} // namespace
