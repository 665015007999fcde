#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/services/KwApp.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputMonitor.h"

#include "ShownAlerts.h"
#include "StatusMenuFixture.h"

namespace {

using State = AudioRecorder::State;

// Monitoring is switched from the status menu's item or with the global shortcut, whose handler
// is the state's toggle.
enum class Path { menu, shortcut };

class InputMonitoringTest : public StatusMenuFixture
{
protected:
    void toggle(Path path)
    {
        if (path == Path::shortcut) {
            state().toggleInputMonitoring();
            return;
        }
        rows();
        QAction *monitor = item(MenuTexts::monitorInput);
        (monitor ? monitor : item(MenuTexts::stopInputMonitoring))->trigger();
    }
    // Chooses "Monitor Input While Recording" in a menu built afresh.
    void toggleMonitoringWhileRecording()
    {
        rows();
        QAction *setting = item(MenuTexts::monitorWhileRecording);
        EXPECT_TRUE(setting->isEnabled());
        setting->trigger();
    }
    bool monitorsManually() { return state().recorder().manualInputMonitor() != nullptr; }
    bool recordingMonitors() { return state().recorder().recorder().inputMonitor() != nullptr; }
};

TEST_F(InputMonitoringTest, TheToggleEndsARecordingsMonitoringForItAloneElseSwitchesAMonitorOfItsOwn)
{
    struct Case
    {
        const char *name;
        bool monitorWhileRecording; // the setting
        State state;
        int presses;
        bool monitorsManually; // afterwards
        bool recordingMonitors;
    };
    const Case cases[] = {
        { "stopped: on", false, State::stopped, 1, true, false },
        { "stopped: on and off", false, State::stopped, 2, false, false },
        { "recording without the setting", false, State::recording, 1, true, false },
        { "the recording's monitoring ends", true, State::recording, 1, false, false },
        { "then a monitor of its own starts", true, State::recording, 2, true, false },
        { "paused", true, State::paused, 1, false, false },
    };
    for (const Path path : { Path::menu, Path::shortcut }) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (path == Path::menu ? " (menu)" : " (shortcut)"));
            m_state.reset();
            standard().removeAll();
            KwApp::runOnce(QStringLiteral("inputMonitoringIntroMessage"));
            Defaults::set(SettingsKeys::monitorInput(), c.monitorWhileRecording);
            AudioRecorder &recorder = state().recorder().recorder();
            if (c.state != State::stopped) {
                state().recorder().startRecording();
                ASSERT_EQ(recordingMonitors(), c.monitorWhileRecording);
            }
            if (c.state == State::paused) {
                recorder.pause();
            }
            ASSERT_EQ(state().recordingState(), c.state);

            for (int press = 0; press < c.presses; ++press) {
                toggle(path);
            }
            EXPECT_EQ(monitorsManually(), c.monitorsManually);
            EXPECT_EQ(recordingMonitors(), c.recordingMonitors);
            EXPECT_EQ(m_doubles.runningEngines(), int(c.monitorsManually) + int(c.recordingMonitors));
            EXPECT_EQ(rows().contains(MenuTexts::stopInputMonitoring), c.monitorsManually);
            EXPECT_EQ(Defaults::get(SettingsKeys::monitorInput()), c.monitorWhileRecording);
            if (c.state == State::stopped) {
                continue;
            }
            // Resuming does not bring the ended monitoring back; the next recording follows the
            // setting again, unless the input already plays through a monitor of its own.
            if (c.state == State::paused) {
                recorder.togglePause();
                EXPECT_EQ(recordingMonitors(), c.recordingMonitors);
            }
            state().recorder().startRecording();
            EXPECT_EQ(recordingMonitors(), c.monitorWhileRecording && !c.monitorsManually);
        }
    }
}

TEST_F(InputMonitoringTest, AMonitorThatCannotStartIsShownAndNotKept)
{
    KwApp::runOnce(QStringLiteral("inputMonitoringIntroMessage"));
    m_doubles.engines.startError
        = AudioError { AudioError::Domain::media, 12, QStringLiteral("No element.") };
    for (const Path path : { Path::menu, Path::shortcut }) {
        m_doubles.presented->clear();
        toggle(path);
        QCoreApplication::sendPostedEvents();
        EXPECT_FALSE(monitorsManually());
        ASSERT_EQ(m_doubles.presented->size(), 1u);
        EXPECT_TRUE(m_doubles.presentedTexts().front().contains(QStringLiteral("No element.")))
            << m_doubles.presentedTexts().front().toStdString();
    }
    // The next try starts afresh.
    m_doubles.engines.startError.reset();
    toggle(Path::shortcut);
    EXPECT_TRUE(monitorsManually());
}

// Steps: m the monitoring item, w "Monitor Input While Recording", k the shortcut, s that setting
// switched on in the settings window. The intro shows
// once in the life of the installation, before monitoring starts, on whichever of the two items
// starts monitoring first; never when an item stops it, nor from the shortcut.
TEST_F(InputMonitoringTest, TheIntroShowsOnceOnTheFirstItemThatStartsMonitoring)
{
    const std::pair<const char *, const char *> cases[] = {
        // steps, then "!" where the intro shows
        { "mmw", "!.." },
        { "wwwm", "!..." },
        { "kmm", "..!" },
        { "swm", "..!" },
    };
    for (const auto &[steps, intros] : cases) {
        SCOPED_TRACE(steps);
        m_state.reset();
        standard().removeAll();
        ShownAlerts alerts([&] { return QString::number(m_doubles.runningEngines()); });
        QString shown;
        for (const char step : std::string_view(steps)) {
            const std::size_t before = alerts.shown.size();
            if (step == 's') {
                Defaults::set(SettingsKeys::monitorInput(), true);
            } else if (step == 'w') {
                toggleMonitoringWhileRecording();
            } else {
                toggle(step == 'm' ? Path::menu : Path::shortcut);
            }
            shown += alerts.shown.size() > before ? u'!' : u'.';
        }
        EXPECT_EQ(shown.toStdString(), intros);
        ASSERT_EQ(alerts.shown.size(), 1u);
        const ShownAlerts::Alert &intro = alerts.shown.front();
        EXPECT_EQ(intro.title, MenuTexts::inputMonitoringTitle);
        EXPECT_EQ(intro.message, MenuTexts::inputMonitoringMessage);
        EXPECT_EQ(intro.buttons, 1);
        EXPECT_EQ(intro.note, QStringLiteral("0")) << "monitoring started before the intro was read";
    }
}

} // namespace
