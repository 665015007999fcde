#include "DesktopTest.h"
#include "EventLoop.h"
#include "Pactl.h"
#include "RemovedSource.h"
#include "TestDesktop.h"
#include "XInput.h"

#include "MenuInspection.h"
#include "app/AppState.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/services/KwApp.h"
#include "platform/audio/AudioHardware.h"
#include "platform/userdefaults/UserDefaults.h"
#include "recording/AudioPlatform.h"
#include "recording/AudioRecorderController.h"
#include "recording/RecordingTexts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using State = AudioRecorder::State;

// The status menu of a launched state, driven with the X server's own pointer and keys, and the
// test desktop's sound server, whose only input can be taken away.
class StatusMenuOnTheDesktopTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ASSERT_TRUE(m_output.isValid());
        UserDefaults::standard()->removeAll();
        KwApp::runOnce(QStringLiteral("inputMonitoringIntroMessage"));
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_output.path()))));
        AppState::Environment environment = AppState::Environment::desktop();
        environment.isFirstLaunch = [] { return false; };
        environment.crashedLastRun = [] { return false; };
        m_state = std::make_unique<AppState>(std::move(environment));
        m_state->recorder().setRevealer([](const QList<QUrl> &) {});
        m_state->recorder().setSavePanelRunner([this](QFileDialog &) {
            ++m_panels;
            return int(QDialog::Rejected);
        });
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return m_state->hasLaunched(); }, 20s));
    }
    void TearDown() override
    {
        TestSupport::xdotool({ "keyup", "alt" });
        m_state.reset();
        TestSupport::Pactl::run({ "set-default-source", TestSupport::TestDesktop::toneSource() });
    }

    bool record()
    {
        m_state->recorder().start();
        return TestSupport::processEventsUntil(
                   [&] { return m_state->recordingState() == State::recording; }, 10s)
            && TestSupport::processEventsUntil(
                [&] { return !TestSupport::Pactl::captureStreamsOfThisProcess().empty(); });
    }
    KwMenu &openMenu()
    {
        KwMenu &menu = m_state->menu();
        menu.popup(QPoint(60, 60));
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); }));
        // The menu holds the pointer and the keyboard once the server has mapped it.
        TestSupport::processEventsFor(300ms);
        return menu;
    }
    // A click of the X server's pointer on the item, with keys pressed just before and let go
    // right after it, before the program can look at them.
    void click(KwMenu &menu, const QString &title, const QStringList &keysAfter = {})
    {
        QAction *item = findItem(menu, title);
        ASSERT_NE(item, nullptr) << title.toStdString();
        const QPoint centre = menu.mapToGlobal(menu.actionGeometry(item).center());
        TestSupport::xdotool({ "mousemove", QString::number(centre.x()), QString::number(centre.y()) });
        TestSupport::processEventsFor(150ms);
        TestSupport::xdotool(QStringList { "click", "1" } + keysAfter);
    }
    QStringList saved() const { return QDir(m_output.path()).entryList(QDir::Files); }

    // Not named as the test program's own temporary folders (`<app name>-XXXXXX`), which are
    // refused as an output folder.
    QTemporaryDir m_output { QDir::tempPath() + QStringLiteral("/status-menu-output-XXXXXX") };
    std::unique_ptr<AppState> m_state;
    int m_panels = 0;
};

// Alt held while "Stop" is clicked asks where to save, whether it went down before the menu opened
// or while it was open: the menu stays open on it. The keys are those of the click, let go at once.
TEST_F(StatusMenuOnTheDesktopTest, AltWithAClickOnStopAsksWhereToSave)
{
    enum class Alt { none, beforeOpening, whileOpen };
    for (const Alt alt : { Alt::beforeOpening, Alt::whileOpen, Alt::none }) {
        SCOPED_TRACE(int(alt));
        const int panelsBefore = m_panels;
        const QStringList before = saved();
        ASSERT_TRUE(record());
        TestSupport::processEventsFor(500ms);
        if (alt == Alt::beforeOpening) {
            TestSupport::xdotool({ "keydown", "alt" });
        }
        KwMenu &menu = openMenu();
        if (alt == Alt::whileOpen) {
            TestSupport::xdotool({ "keydown", "alt" });
            TestSupport::processEventsFor(300ms);
        }
        ASSERT_TRUE(menu.isVisible()) << "Alt closed the menu";
        click(menu, MenuTexts::stop, alt == Alt::none ? QStringList() : QStringList { "keyup", "alt" });

        const bool asks = alt != Alt::none;
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return m_panels > panelsBefore || saved().size() > before.size(); }, 15s));
        EXPECT_EQ(m_state->recordingState(), State::stopped);
        EXPECT_EQ(m_panels - panelsBefore, asks ? 1 : 0);
        EXPECT_EQ(saved().size() - before.size(), asks ? 0 : 1);
    }
}

// With the only input unplugged mid-recording, the server gives the recording an output's monitor:
// it goes on and stops from the menu, while a monitor would play that output into itself, so
// monitoring ends, from the menu and the shortcut's road alike.
TEST_F(StatusMenuOnTheDesktopTest, WithoutAnInputTheRecordingGoesOnAndStopsAndNoMonitorPlays)
{
    for (const bool manually : { true, false }) {
        SCOPED_TRACE(manually ? "monitored from the menu" : "monitored while recording");
        Defaults::set(SettingsKeys::monitorInput(), !manually);
        TestSupport::processEventsFor(50ms);
        // The input unplugged in the round before is back, but PipeWire's session manager makes it
        // the default again only a while after the server lists it.
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [] { return AudioPlatform::hardware().defaultInputDeviceId().hasValue(); }, 10s));
        const QStringList before = saved();
        ASSERT_TRUE(record());
        if (manually) {
            m_state->toggleInputMonitoring();
        }
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return TestSupport::Pactl::captureStreamsOfThisProcess().size() == 2; }));
        // Some of the input is in the file before it goes.
        TestSupport::processEventsFor(1s);

        TestSupport::RemovedSource unplugged(TestSupport::TestDesktop::toneSource());
        ASSERT_EQ(unplugged.error, QString());
        const AudioRecorderController &controller = m_state->recorder();
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            return !controller.manualInputMonitor() && !controller.recorder().inputMonitor()
                && TestSupport::Pactl::captureStreamsOfThisProcess().size() == 1;
        }));
        EXPECT_TRUE(TestSupport::Pactl::captureStreamsOfThisProcess().front().source.endsWith(".monitor"));
        m_state->toggleInputMonitoring();
        EXPECT_EQ(controller.manualInputMonitor(), nullptr);
        // The shortcut's road has no greyed item: an alert says why, and the user closes it.
        QDialog *alert = nullptr;
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QDialog *>(window);
                const auto labels
                    = dialog && dialog->isVisible() ? dialog->findChildren<QLabel *>() : QList<QLabel *>();
                if (std::any_of(labels.begin(), labels.end(), [](const QLabel *label) {
                        return label->text().contains(RecordingTexts::noInputDevicesToMonitor());
                    })) {
                    alert = dialog;
                }
            }
            return alert != nullptr;
        }));
        alert->reject();

        KwMenu &menu = openMenu();
        EXPECT_EQ(menuRows(menu).mid(2, 4),
            (QStringList { MenuTexts::pause, MenuTexts::stop, QStringLiteral("-"),
                QStringLiteral("(%1)").arg(MenuTexts::monitorInput) }));
        click(menu, MenuTexts::stop);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved().size() > before.size(); }, 15s));
        EXPECT_EQ(m_state->recordingState(), State::stopped);
    }
}

} // namespace
