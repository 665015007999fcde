#include "PreferencesTestSupport.h"

#include "preferences/DefaultsMigration.h"

#include <functional>

namespace {

using Defaults::Key;

class MigrationTest : public PreferencesTest
{
protected:
    // Counts writes, so that "nothing is written" can be checked.
    void observeWrites(const std::string &name)
    {
        m_suite->addObserver(name, 1, [this](const KeyValueChange &) { ++m_writes; });
    }
    int m_writes = 0;
};

TEST_F(MigrationTest, OldJsonTextBecomesTheStoredFormAndAnythingElseIsNotWritten)
{
    struct Case
    {
        const char *what;
        std::optional<PropertyValue> stored;
        std::function<void(const std::shared_ptr<UserDefaults> &)> migrate;
        std::optional<PropertyValue> expected;
        bool written;
    };
    const auto int64 = [](const auto &suite) { Defaults::migrate(Key<std::int64_t>("k", 0, suite)); };
    const auto text = [](const auto &suite) { Defaults::migrate(Key<std::string>("k", "", suite)); };
    const auto bookmarks = [](const auto &suite) {
        Defaults::migrate(Key<std::map<std::string, QByteArray>>("k", {}, suite));
    };
    const PropertyValue nativeBookmarks(
        PropertyDictionary { { "/home/a", PropertyValue(QByteArray("\x01\x02", 2)) },
            { "/home/b", PropertyValue(QByteArray()) } });
    const Case cases[] = {
        { "nothing stored", std::nullopt, int64, PropertyValue(0), false },
        { "an integer's text", PropertyValue("42"), int64, PropertyValue(42), true },
        { "text that does not decode", PropertyValue("forty-two"), int64, PropertyValue("forty-two"), false },
        { "quoted text", PropertyValue("\"hello\""), text, PropertyValue("hello"), true },
        { "plain text", PropertyValue("hello"), text, PropertyValue("hello"), false },
        { "an optional's wrapped value", PropertyValue("2.5"),
            [](const auto &suite) { Defaults::migrate(Key<std::optional<double>>("k", suite)); },
            PropertyValue(2.5), true },
        { "a data dictionary's text", PropertyValue(R"({"/home/a":"AQI=","/home/b":""})"), bookmarks,
            nativeBookmarks, true },
        { "a data dictionary migrated before", nativeBookmarks, bookmarks, nativeBookmarks, false },
    };
    observeWrites("k");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_suite->removeObject("k");
        if (c.stored) {
            m_suite->setObject("k", *c.stored);
        }
        m_writes = 0;
        testing::internal::CaptureStdout();
        c.migrate(m_suite);
        EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
        EXPECT_EQ(m_suite->object("k"), c.expected);
        EXPECT_EQ(m_writes, c.written ? 1 : 0);
    }

    // A list migrates each key on its own suite.
    auto other = UserDefaults::suite("other");
    const Key<std::int64_t> here("n", 0, m_suite);
    const Key<std::int64_t> there("n", 0, other);
    m_suite->setObject("n", PropertyValue("1"));
    other->setObject("n", PropertyValue("2"));
    Defaults::migrate<std::int64_t>({ here, there });
    EXPECT_EQ(m_suite->object("n"), PropertyValue(1));
    EXPECT_EQ(other->object("n"), PropertyValue(2));
    observeWrites("n");
    m_writes = 0;
    Defaults::migrate<std::int64_t>({});
    EXPECT_EQ(m_writes, 0);
}

} // namespace
