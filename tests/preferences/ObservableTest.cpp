#include "FileContents.h"
#include "PreferencesTestSupport.h"

#include "EventLoop.h"
#include "preferences/DefaultAccessor.h"
#include "preferences/DefaultsObservable.h"

#include <QFile>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Defaults::Key;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

using ObservableTest = PreferencesTest;

TEST_F(ObservableTest, SignalsOnceAfterCreationThenOncePerChange)
{
    const Key<bool> key("flag", false, m_suite);
    Defaults::Observable<bool> observable(key);
    int signalCount = 0;
    auto subscription = observable.objectWillChange().sink([&] { ++signalCount; });
    EXPECT_EQ(signalCount, 0);
    ASSERT_TRUE(processEventsUntil([&] { return signalCount == 1; }));
    Defaults::set(key, true);
    ASSERT_TRUE(processEventsUntil([&] { return signalCount == 2; }));
    std::thread elsewhere([&] { Defaults::set(key, false); });
    elsewhere.join();
    ASSERT_TRUE(processEventsUntil([&] { return signalCount == 3; }));
    processEventsFor(20ms);
    EXPECT_EQ(signalCount, 3);

    // One released before its loop started holds nothing.
    const long baseline = m_suite.use_count();
    {
        Defaults::Observable<bool> releasedBeforeItsLoopStarted(key);
    }
    processEventsFor(20ms);
    EXPECT_EQ(m_suite.use_count(), baseline);
}

TEST_F(ObservableTest, SettingSignalsBeforeTheValueIsReadableAndAgainAfterIt)
{
    const Key<std::int64_t> key("count", 1, m_suite);
    Defaults::Observable<std::int64_t> observable(key);
    processEventsFor(20ms);
    std::vector<std::int64_t> seen;
    auto subscription = observable.objectWillChange().sink([&] { seen.push_back(observable.value()); });
    observable.setValue(5);
    ASSERT_EQ(seen, std::vector<std::int64_t> { 1 });
    EXPECT_EQ(observable.value(), 5);
    ASSERT_TRUE(processEventsUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[1], 5);
}

TEST_F(ObservableTest, ReleasingItStopsTheLoopAndTheObservation)
{
    const Key<bool> key("flag", false, m_suite);
    const long baseline = m_suite.use_count();
    int signalCount = 0;
    Events::AnyCancellable subscription;
    {
        Defaults::Observable<bool> observable(key);
        subscription = observable.objectWillChange().sink([&] { ++signalCount; });
        ASSERT_TRUE(processEventsUntil([&] { return signalCount == 1; }));
    }
    EXPECT_TRUE(processEventsUntil([&] { return m_suite.use_count() == baseline; }));
    Defaults::set(key, true);
    processEventsFor(20ms);
    EXPECT_EQ(signalCount, 1);
}

TEST_F(ObservableTest, DefaultReadsWritesBindsAndPublishes)
{
    const Key<std::int64_t> key("count", 3, m_suite);
    Default<std::int64_t> setting(key);
    EXPECT_EQ(setting.value(), 3);
    EXPECT_EQ(setting.defaultValue(), 3);
    EXPECT_TRUE(setting.isDefaultValue());
    setting.setValue(4);
    EXPECT_EQ(Defaults::get(key), 4);
    setting.modify([](std::int64_t &value) { value *= 10; });
    EXPECT_EQ(Defaults::get(key), 40);
    // As Defaults::modify: a change that throws is still written back, and its error goes on.
    EXPECT_THROW(setting.modify([](std::int64_t &value) {
        value += 2;
        throw std::runtime_error("stop");
    }),
        std::runtime_error);
    EXPECT_EQ(Defaults::get(key), 42);
    setting.setValue(40);
    const Binding<std::int64_t> binding = setting.binding();
    EXPECT_EQ(binding.value(), 40);
    binding.setValue(41);
    EXPECT_EQ(setting.value(), 41);
    EXPECT_FALSE(setting.isDefaultValue());
    std::vector<std::int64_t> values;
    auto subscription
        = setting.publisher().sink([&](const auto &change) { values.push_back(change.newValue); });
    EXPECT_EQ(values, std::vector<std::int64_t> { 41 }) << "the current value comes first";
}

TEST_F(ObservableTest, DefaultResetRedrawsOnTheRemovalAndWritingTheSameValueStillStoresAndSignals)
{
    const Key<bool> key("flag", false, m_suite);
    Defaults::set(key, true);
    Default<bool> setting(key);
    int redraws = 0;
    auto subscription = setting.objectWillChange().sink([&] { ++redraws; });
    ASSERT_TRUE(processEventsUntil([&] { return redraws == 1; }));
    setting.reset();
    EXPECT_FALSE(setting.value());
    EXPECT_TRUE(setting.isDefaultValue());
    EXPECT_EQ(redraws, 1);
    ASSERT_TRUE(processEventsUntil([&] { return redraws == 2; }));
    const auto storedFile = [&] { return TestSupport::readFile(m_suite->filePath()); };
    EXPECT_FALSE(storedFile().contains("flag"));
    setting.setValue(false);
    EXPECT_EQ(redraws, 3);
    EXPECT_TRUE(storedFile().contains(R"("flag": false)"));
    EXPECT_TRUE(processEventsUntil([&] { return redraws == 4; }));
}

} // namespace
