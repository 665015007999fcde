#include "DesktopTest.h"
#include "EventLoop.h"
#include "XInput.h"

#include "app/AppState.h"
#include "app/ShortcutNames.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/userdefaults/UserDefaults.h"
#include "recording/AudioRecorderController.h"
#include "shortcuts/KeyboardShortcuts.h"

#include <QDialog>
#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using State = AudioRecorder::State;

class AppStateShortcutsTest : public TestSupport::DesktopTest
{
protected:
    // The status item takes the name the application had when first asked, for the whole process:
    // the same one AppStateTest gives it, whichever suite comes first.
    static void SetUpTestSuite() { FoundationHooks::setAppName(QStringLiteral("Tapewick")); }
    void SetUp() override
    {
        DesktopTest::SetUp();
        UserDefaults::standard()->removeAll();
    }
};

// The three shortcuts go through the X server's hot keys to the running state, on Control+Shift
// with R, P and M. While the status menu is open they rest, since the menu's items answer the same
// keys; once it closes they work again.
TEST_F(AppStateShortcutsTest, ShortcutsRestWhileTheMenuIsOpenAndRecordPauseAndMonitorOnceItCloses)
{
    constexpr std::int32_t controlShift = 0x1200;
    const std::pair<const KeyboardShortcuts::Name &, std::int32_t> keys[] = {
        { ShortcutNames::toggleRecording(), 0x0F },
        { ShortcutNames::togglePauseRecording(), 0x23 },
        { ShortcutNames::toggleInputMonitoring(), 0x2E },
    };
    for (const auto &[name, key] : keys) {
        ASSERT_EQ(KeyboardShortcuts::setShortcut(KeyboardShortcuts::Shortcut { key, controlShift }, name),
            std::nullopt);
    }
    AppState::Environment environment = AppState::Environment::desktop();
    environment.isFirstLaunch = [] { return false; };
    environment.crashedLastRun = [] { return false; };
    AppState state(std::move(environment));
    state.recorder().setSavePanelRunner([](QFileDialog &) { return int(QDialog::Rejected); });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return state.hasLaunched(); }, 20s));

    const auto monitors = [&] { return state.recorder().manualInputMonitor() != nullptr; };
    // A key, and the recording state and manual monitoring it leads to.
    const auto press = [&](char key, State expected, bool monitoring) {
        TestSupport::xdotool({ "key", QStringLiteral("ctrl+shift+") + QLatin1Char(key) });
        return TestSupport::processEventsUntil(
            [&] { return state.recordingState() == expected && monitors() == monitoring; }, 10s);
    };
    ASSERT_TRUE(press('r', State::recording, false));

    emit state.menu().aboutToShow();
    for (const char key : { 'p', 'm', 'r' }) {
        TestSupport::xdotool({ "key", QStringLiteral("ctrl+shift+") + QLatin1Char(key) });
    }
    // Longer than a start or a pause waits for its sound.
    TestSupport::processEventsFor(3s);
    EXPECT_EQ(state.recordingState(), State::recording);
    EXPECT_FALSE(monitors());
    emit state.menu().aboutToHide();

    const std::tuple<char, State, bool> steps[] = {
        { 'p', State::paused, false },
        { 'p', State::recording, false },
        { 'm', State::recording, true },
        { 'm', State::recording, false },
        { 'r', State::stopped, false },
    };
    for (const auto &[key, expected, monitoring] : steps) {
        ASSERT_TRUE(press(key, expected, monitoring)) << key << " leaves " << int(state.recordingState());
    }
}

} // namespace
