#include "PreferencesTestSupport.h"

#include <QFileInfo>

#include <stdexcept>
#include <unordered_set>

namespace {

using Defaults::Key;

class KeysTest : public PreferencesTest
{
};

TEST_F(KeysTest, BoolKeyReadsItsDefaultUntilWrittenAndAgainAfterReset)
{
    const Key<bool> key("flag", false, m_suite);
    EXPECT_FALSE(Defaults::get(key));
    Defaults::set(key, true);
    EXPECT_TRUE(Defaults::get(key));
    EXPECT_EQ(m_suite->object("flag"), PropertyValue(true));
    key.reset();
    EXPECT_FALSE(Defaults::get(key));
    EXPECT_EQ(m_suite->object("flag"), PropertyValue(false)); // the registered default
}

TEST_F(KeysTest, CreatingAKeyRegistersItsDefaultButStoresNothing)
{
    const Key<std::int64_t> key("count", 3, m_suite);
    EXPECT_EQ(m_suite->object("count"), PropertyValue(3));
    EXPECT_FALSE(QFileInfo::exists(m_suite->filePath()));
}

TEST_F(KeysTest, OptionalKeyRegistersNothingAndNilRemoves)
{
    const Key<std::optional<std::string>> key("prefix", m_suite);
    EXPECT_EQ(m_suite->object("prefix"), std::nullopt);
    EXPECT_EQ(Defaults::get(key), std::nullopt);
    Defaults::set(key, std::optional<std::string>("rec"));
    EXPECT_EQ(Defaults::get(key), "rec");
    Defaults::set(key, std::optional<std::string>());
    EXPECT_EQ(m_suite->object("prefix"), std::nullopt);
    EXPECT_EQ(Defaults::get(key), std::nullopt);
}

TEST_F(KeysTest, UnconvertibleStoredValueReadsAsDefaultAndStays)
{
    const Key<std::string> key("text", "fallback", m_suite);
    m_suite->setObject("text", PropertyValue(42));
    EXPECT_EQ(Defaults::get(key), "fallback");
    EXPECT_EQ(m_suite->object("text"), PropertyValue(42));
}

TEST_F(KeysTest, TextTrueReadsAsBoolTrueThroughJson)
{
    const Key<bool> key("flag", false, m_suite);
    m_suite->setObject("flag", PropertyValue("true"));
    EXPECT_TRUE(Defaults::get(key));
    m_suite->setObject("flag", PropertyValue("yes"));
    EXPECT_FALSE(Defaults::get(key));
}

TEST_F(KeysTest, NumbersReadExactly)
{
    const Key<std::int64_t> integer("n", -1, m_suite);
    m_suite->setObject("n", PropertyValue(5.0));
    EXPECT_EQ(Defaults::get(integer), 5);
    m_suite->setObject("n", PropertyValue(5.7));
    EXPECT_EQ(Defaults::get(integer), -1);
    const Key<std::int8_t> small("s", std::int8_t(-1), m_suite);
    m_suite->setObject("s", PropertyValue(300));
    EXPECT_EQ(Defaults::get(small), -1);
    const Key<bool> flag("b", false, m_suite);
    m_suite->setObject("b", PropertyValue(1));
    EXPECT_TRUE(Defaults::get(flag));
}

TEST_F(KeysTest, KeysAreEqualByNameAndSuite)
{
    const Key<bool> a("same", false, m_suite);
    const Key<std::int64_t> b("same", 1, m_suite);
    const Key<bool> c("same", false, UserDefaults::suite("elsewhere"));
    EXPECT_TRUE(static_cast<const Defaults::Keys &>(a) == b);
    EXPECT_EQ(std::hash<Defaults::Keys> {}(a), std::hash<Defaults::Keys> {}(b));
    EXPECT_FALSE(static_cast<const Defaults::Keys &>(a) == c);
}

TEST_F(KeysTest, ResetListsActOnTheirOwnSuitesInOrder)
{
    auto other = UserDefaults::suite("other");
    const Key<std::int64_t> here("k", 0, m_suite);
    const Key<std::int64_t> there("k", 0, other);
    Defaults::set(here, std::int64_t(1));
    Defaults::set(there, std::int64_t(2));
    Defaults::reset({});
    EXPECT_EQ(Defaults::get(here), 1);
    Defaults::reset({ here });
    EXPECT_EQ(Defaults::get(here), 0);
    EXPECT_EQ(Defaults::get(there), 2);

    Defaults::set(here, std::int64_t(1));
    m_suite->setObject("unrelated", PropertyValue(9));
    Defaults::reset(std::vector<std::string> { "k" }, *other);
    EXPECT_EQ(Defaults::get(there), 0);
    EXPECT_EQ(Defaults::get(here), 1);
    EXPECT_EQ(m_suite->object("unrelated"), PropertyValue(9));
}

TEST_F(KeysTest, LaterKeyWithTheSameNameRegistersItsDefault)
{
    const Key<std::int64_t> first("n", 1, m_suite);
    const Key<std::int64_t> second("n", 2, m_suite);
    EXPECT_EQ(Defaults::get(first), 2);
}

TEST_F(KeysTest, SubscriptOnAnotherSuiteUsesThatSuite)
{
    auto other = UserDefaults::suite("other");
    const Key<std::int64_t> key("n", 7, m_suite);
    EXPECT_EQ(Defaults::get(*other, key), 7); // the key's default, from the key, not the suite
    Defaults::set(*other, key, std::int64_t(8));
    EXPECT_EQ(other->object("n"), PropertyValue(8));
    EXPECT_EQ(Defaults::get(key), 7);
}

TEST_F(KeysTest, ModifyWritesBackEvenWhenTheChangeThrows)
{
    const Key<std::vector<std::string>> key("list", {}, m_suite);
    Defaults::modify(key, [](std::vector<std::string> &list) { list.push_back("a"); });
    EXPECT_EQ(Defaults::get(key), (std::vector<std::string> { "a" }));
    EXPECT_THROW(Defaults::modify(key,
                     [](std::vector<std::string> &list) {
                         list.push_back("b");
                         throw std::runtime_error("stop");
                     }),
        std::runtime_error);
    EXPECT_EQ(Defaults::get(key), (std::vector<std::string> { "a", "b" }));
}

TEST_F(KeysTest, RemoveAllLeavesDefaults)
{
    const Key<std::int64_t> key("n", 7, m_suite);
    Defaults::set(key, std::int64_t(8));
    m_suite->setObject("loose", PropertyValue("x"));
    Defaults::removeAll(*m_suite);
    EXPECT_EQ(Defaults::get(key), 7);
    EXPECT_EQ(m_suite->object("loose"), std::nullopt);
}

TEST_F(KeysTest, ChangeValueReaderGivesNothingForNothing)
{
    EXPECT_EQ(Defaults::changeValue<std::int64_t>(std::nullopt), std::nullopt);
    EXPECT_EQ(Defaults::changeValue<std::int64_t>(PropertyValue("12")), 12);
    EXPECT_EQ(Defaults::changeValue<std::int64_t>(PropertyValue("x")), std::nullopt);
}

const Defaults::Key<std::int64_t> &staticKey()
{
    static const Defaults::Key<std::int64_t> key("static", 42, UserDefaults::suite("statics"));
    return key;
}

TEST_F(KeysTest, FunctionLocalStaticKeyRegistersOnFirstUse)
{
    // Registration lasts for the process: only the first run of this test sees it happen.
    static bool keyUsedBefore = false;
    auto suite = UserDefaults::suite("statics");
    const bool registeredBefore = suite->object("static").has_value();
    EXPECT_EQ(Defaults::get(staticKey()), 42);
    EXPECT_TRUE(suite->object("static").has_value());
    EXPECT_EQ(registeredBefore, keyUsedBefore);
    keyUsedBefore = true;
}

} // namespace
