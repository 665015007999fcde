#include "PreferencesTestSupport.h"

#include "preferences/DefaultsObserve.h"
#include "preferences/DefaultsPublishers.h"

#include <vector>

namespace {

using Defaults::Key;
using Defaults::KeyChange;
using Defaults::ObservationOption;

using PublisherTest = PreferencesTest;

TEST_F(PublisherTest, OptionsReachTypedRecords)
{
    const Key<std::int64_t> key("count", 7, m_suite);
    std::vector<KeyChange<std::int64_t>> initial, prior;
    auto initialSubscription
        = Defaults::publisher(key, { ObservationOption::Initial }).sink([&](const auto &change) {
              initial.push_back(change);
          });
    ASSERT_EQ(initial.size(), 1u) << "delivered before subscribing returns";
    EXPECT_EQ(initial[0].newValue, 7);
    EXPECT_EQ(initial[0].oldValue, 7);
    auto priorSubscription
        = Defaults::publisher(key, { ObservationOption::Prior }).sink([&](const auto &change) {
              prior.push_back(change);
          });
    Defaults::set(key, std::int64_t(9));
    ASSERT_EQ(initial.size(), 2u);
    EXPECT_EQ(initial[1].newValue, 9);
    EXPECT_EQ(initial[1].oldValue, 7);
    ASSERT_EQ(prior.size(), 2u);
    EXPECT_TRUE(prior[0].isPrior);
    EXPECT_EQ(prior[0].oldValue, 7);
    EXPECT_FALSE(prior[1].isPrior);
    EXPECT_EQ(prior[1].newValue, 9);
}

TEST_F(PublisherTest, RemovalAndUnreadableValuesBecomeTheDefault)
{
    const Key<std::optional<std::string>> name("name", m_suite);
    const Key<bool> flag("flag", true, m_suite);
    std::vector<KeyChange<std::optional<std::string>>> names;
    std::vector<KeyChange<bool>> flags;
    auto nameSubscription
        = Defaults::publisher(name).sink([&](const auto &change) { names.push_back(change); });
    auto flagSubscription
        = Defaults::publisher(flag).sink([&](const auto &change) { flags.push_back(change); });

    Defaults::set(name, std::optional<std::string>("take"));
    Defaults::set(name, std::optional<std::string>());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1].oldValue, "take");
    EXPECT_EQ(names[1].newValue, std::nullopt);

    m_suite->setObject("flag", "not a boolean");
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_TRUE(flags[0].newValue);
    m_suite->setObject("flag", false);
    EXPECT_TRUE(flags[1].oldValue);
    EXPECT_FALSE(flags[1].newValue);

    // Cancelling or dropping the subscription stops delivery.
    flagSubscription.cancel();
    {
        auto dropped = Defaults::publisher(flag).sink([&](const auto &change) { flags.push_back(change); });
    }
    Defaults::set(flag, true);
    EXPECT_EQ(flags.size(), 2u);
}

TEST_F(PublisherTest, SeveralKeysSendOneSignalPerChangeAndATypedObservationHandsOverRecords)
{
    const Key<bool> first("first", false, m_suite);
    const Key<std::int64_t> second("second", 0, m_suite);
    int signalCount = 0;
    auto subscription
        = Defaults::publisher({ first, second }, { ObservationOption::Initial }).sink([&] { ++signalCount; });
    EXPECT_EQ(signalCount, 2);
    Defaults::set(first, true);
    Defaults::set(second, std::int64_t(4));
    EXPECT_EQ(signalCount, 4);
    m_suite->setObject("unrelated", 1);
    EXPECT_EQ(signalCount, 4);

    bool completed = false;
    auto none = Defaults::publisher({}, { ObservationOption::Initial })
                    .sink([&](const auto &) { completed = true; }, [&](const auto &) { ++signalCount; });
    Defaults::set(first, false);
    EXPECT_EQ(signalCount, 5);
    EXPECT_FALSE(completed);

    // A typed observation hands over records.
    const Key<std::optional<std::string>> key("prefix", m_suite);
    std::vector<KeyChange<std::optional<std::string>>> changes;
    auto observation = Defaults::observe(
        key, { ObservationOption::Initial }, [&](const auto &change) { changes.push_back(change); });
    Defaults::set(key, std::optional<std::string>("rec"));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].newValue, std::nullopt);
    EXPECT_EQ(changes[1].newValue, "rec");
    observation.reset();
    Defaults::set(key, std::optional<std::string>("later"));
    EXPECT_EQ(changes.size(), 2u);
}

} // namespace
