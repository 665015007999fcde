#include "PreferencesTestSupport.h"
#include "preferences/DefaultsObserve.h"

#include <QFileInfo>

#include <stdexcept>
#include <string>

namespace {

using Defaults::Key;

using KeysTest = PreferencesTest;

TEST_F(KeysTest, AKeyRegistersItsDefaultStoresNothingAndReadsItAgainAfterReset)
{
    const Key<bool> key("flag", false, m_suite);
    EXPECT_EQ(m_suite->object("flag"), PropertyValue(false));
    EXPECT_FALSE(QFileInfo::exists(m_suite->filePath()));
    Defaults::set(key, true);
    EXPECT_TRUE(Defaults::get(key));
    EXPECT_EQ(m_suite->object("flag"), PropertyValue(true));
    key.reset();
    EXPECT_FALSE(Defaults::get(key));
    // A later key of the same name registers its own default.
    const Key<bool> later("flag", true, m_suite);
    EXPECT_TRUE(Defaults::get(key));

    // Keys are equal by name and suite; resets and subscripts act on their own suites.
    auto other = UserDefaults::suite("other");
    const Key<std::int64_t> here("k", 0, m_suite);
    const Key<std::int64_t> there("k", 0, other);
    const Key<bool> a("same", false, m_suite);
    const Key<std::int64_t> b("same", 1, m_suite);
    EXPECT_TRUE(static_cast<const Defaults::Keys &>(a) == b);
    EXPECT_EQ(std::hash<Defaults::Keys> {}(a), std::hash<Defaults::Keys> {}(b));
    EXPECT_FALSE(static_cast<const Defaults::Keys &>(here) == there);
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

    // A subscript on another suite reads and writes there, with the key's own default.
    const Key<std::int64_t> elsewhere("n", 7, m_suite);
    EXPECT_EQ(Defaults::get(*other, elsewhere), 7);
    Defaults::set(*other, elsewhere, std::int64_t(8));
    EXPECT_EQ(other->object("n"), PropertyValue(8));
    EXPECT_EQ(Defaults::get(elsewhere), 7);

    Defaults::removeAll(*m_suite);
    EXPECT_EQ(Defaults::get(here), 0);
    EXPECT_EQ(m_suite->object("unrelated"), std::nullopt);
}

TEST_F(KeysTest, AStoredValueThatDoesNotReadExactlyReadsAsTheDefaultAndModifyAlwaysWritesBack)
{
    const Key<std::string> text("text", "fallback", m_suite);
    m_suite->setObject("text", PropertyValue(42));
    EXPECT_EQ(Defaults::get(text), "fallback");
    EXPECT_EQ(m_suite->object("text"), PropertyValue(42));

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
    m_suite->setObject("b", PropertyValue("true")); // JSON text
    EXPECT_TRUE(Defaults::get(flag));
    m_suite->setObject("b", PropertyValue("yes"));
    EXPECT_FALSE(Defaults::get(flag));

    // Modify writes back even when the change throws.
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

// Whatever throws, the changed value is stored, and the change's own error is the one that goes on.
TEST_F(KeysTest, ModifyWritesBackWhenTheChangeOrAnObserverThrows)
{
    for (const auto &[changeThrows, observerThrows, expected] : { std::tuple { true, false, "change" },
             std::tuple { false, true, "observer" }, std::tuple { true, true, "change" } }) {
        const auto throwIf = [](bool really, const char *what) {
            if (really) {
                throw std::runtime_error(what);
            }
        };
        const Key<std::int64_t> key("count", 0, m_suite);
        Defaults::set(key, std::int64_t(1));
        const auto observation = Defaults::observe(
            key, {}, [&](const Defaults::KeyChange<std::int64_t> &) { throwIf(observerThrows, "observer"); });
        std::string thrown;
        try {
            Defaults::modify(key, [&](std::int64_t &count) {
                ++count;
                throwIf(changeThrows, "change");
            });
        } catch (const std::runtime_error &error) {
            thrown = error.what();
        }
        EXPECT_EQ(thrown, expected) << changeThrows << observerThrows;
        EXPECT_EQ(Defaults::get(key), 2) << changeThrows << observerThrows;
    }
}

} // namespace
