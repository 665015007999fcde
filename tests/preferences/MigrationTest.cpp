#include "PreferencesTestSupport.h"

#include "preferences/DefaultsMigration.h"

namespace {

using Defaults::Key;
using Defaults::Version;

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

TEST_F(MigrationTest, NothingStoredMeansNoWrite)
{
    const Key<std::int64_t> key("n", 0, m_suite);
    observeWrites("n");
    Defaults::migrate(key, Version::v5);
    EXPECT_EQ(m_writes, 0);
    EXPECT_EQ(m_suite->object("n"), PropertyValue(0)); // the registered default, nothing stored
}

TEST_F(MigrationTest, IntTextBecomesANumber)
{
    const Key<std::int64_t> key("n", 0, m_suite);
    m_suite->setObject("n", PropertyValue("42"));
    Defaults::migrate(key);
    EXPECT_EQ(m_suite->object("n"), PropertyValue(42));
}

TEST_F(MigrationTest, DataDictionaryTextBecomesNativeAndASecondRunWritesNothing)
{
    const Key<std::map<std::string, QByteArray>> key("__securityScopedBookmarks__", {}, m_suite);
    m_suite->setObject(key.name(), PropertyValue(R"({"/home/a":"AQI=","/home/b":""})"));
    Defaults::migrate(key);
    EXPECT_EQ(m_suite->object(key.name()),
        PropertyValue(PropertyDictionary { { "/home/a", PropertyValue(QByteArray("\x01\x02", 2)) },
            { "/home/b", PropertyValue(QByteArray()) } }));
    observeWrites(key.name());
    Defaults::migrate(key);
    EXPECT_EQ(m_writes, 0);
}

TEST_F(MigrationTest, QuotedTextIsUnquotedPlainTextStays)
{
    const Key<std::string> key("s", "", m_suite);
    m_suite->setObject("s", PropertyValue("\"hello\""));
    Defaults::migrate(key);
    EXPECT_EQ(m_suite->object("s"), PropertyValue("hello"));
    m_suite->setObject("s", PropertyValue("hello"));
    observeWrites("s");
    Defaults::migrate(key);
    EXPECT_EQ(m_writes, 0);
    EXPECT_EQ(m_suite->object("s"), PropertyValue("hello"));
}

TEST_F(MigrationTest, TextThatDoesNotDecodeStaysAndPrintsNothing)
{
    const Key<std::int64_t> key("n", 0, m_suite);
    m_suite->setObject("n", PropertyValue("forty-two"));
    testing::internal::CaptureStdout();
    Defaults::migrate(key);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
    EXPECT_EQ(m_suite->object("n"), PropertyValue("forty-two"));
    EXPECT_EQ(Defaults::get(key), 0);
}

TEST_F(MigrationTest, OptionalKeyMigratesTheWrappedValue)
{
    const Key<std::optional<double>> key("d", m_suite);
    m_suite->setObject("d", PropertyValue("2.5"));
    Defaults::migrate(key);
    EXPECT_EQ(m_suite->object("d"), PropertyValue(2.5));
}

TEST_F(MigrationTest, ListsMigrateEachKeyOnItsOwnSuite)
{
    auto other = UserDefaults::suite("other");
    const Key<std::int64_t> here("n", 0, m_suite);
    const Key<std::int64_t> there("n", 0, other);
    m_suite->setObject("n", PropertyValue("1"));
    other->setObject("n", PropertyValue("2"));
    Defaults::migrate<std::int64_t>({ here, there });
    EXPECT_EQ(m_suite->object("n"), PropertyValue(1));
    EXPECT_EQ(other->object("n"), PropertyValue(2));
    observeWrites("n");
    Defaults::migrate<std::int64_t>({});
    EXPECT_EQ(m_writes, 0);
}

TEST_F(MigrationTest, VersionHasOneRawValue)
{
    EXPECT_EQ(Defaults::versionFromRawValue(5), Version::v5);
    EXPECT_EQ(Defaults::versionFromRawValue(4), std::nullopt);
}

} // namespace
