#include "AlertAnswerer.h"
#include "EventLoop.h"
#include "TestDesktop.h"

#include "app/AppRecordingSettings.h"
#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "kit/services/AlertBuilder.h"
#include "platform/audio/probe/MediaProbe.h"
#include "platform/desktop/TrayStatusItem.h"
#include "platform/userdefaults/UserDefaults.h"
#include "recording/AudioRecorderController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// What the desktop answers at launch.
struct Answers
{
    bool microphone = true;
    bool firstLaunch = false;
    bool crashed = false;
    bool differentiateWithoutColor = false;
    bool folderFails = false;
};

class AppStateTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        FoundationHooks::setAppName(QStringLiteral("Tapewick"));
    }

    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::TestDesktop::isRunning())
            << TestSupport::TestDesktop::notRunningHint().toStdString();
        UserDefaults::standard()->removeAll();
        FoundationHooks::setTerminate([this] { m_events.append(QStringLiteral("quit")); });
    }
    void TearDown() override
    {
        FoundationHooks::setTerminate({});
        UserDefaults::standard()->removeAll();
    }

    // Made with the answers and launched, its alerts answered by `alerts`.
    std::unique_ptr<AppState> launch(const Answers &answers, AlertAnswerer &alerts)
    {
        alerts.inspect = [this](QMessageBox &alert) { m_events.append(alert.text()); };
        AppState::Environment environment;
        environment.settings = std::make_shared<AppRecordingSettings>();
        environment.requestMicrophoneAccess = [answers] { return answers.microphone; };
        environment.openMicrophoneSettings = [this] { m_events.append(QStringLiteral("settings opened")); };
        environment.isFirstLaunch = [answers] { return answers.firstLaunch; };
        environment.crashedLastRun = [answers] { return answers.crashed; };
        environment.showTemporaryRecordingsDirectory = [this, answers] {
            m_events.append(QStringLiteral("folder shown"));
            if (answers.folderFails) {
                throw GeneralError(QStringLiteral("The folder cannot be shown."));
            }
        };
        environment.shouldDifferentiateWithoutColor = [answers] { return answers.differentiateWithoutColor; };
        environment.makeStatusItem = [] { return std::make_unique<TrayStatusItem>(); };
        auto state = std::make_unique<AppState>(std::move(environment));
        state->recorder().setSavePanelRunner([](QFileDialog &) { return int(QDialog::Rejected); });
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return state->hasLaunched(); }, 20s));
        TestSupport::processEventsFor(100ms);
        return state;
    }

    static QWidget *visiblePopover()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("statusBarButtonWelcomePopover")
                && widget->isVisible()) {
                return widget;
            }
        }
        return nullptr;
    }

    QStringList m_events;
};

TEST_F(AppStateTest, LaunchNoticesComeInOrderAndARefusalQuitsOnlyAfterThem)
{
    struct Case
    {
        const char *name;
        Answers answers;
        QStringList buttons;
        QStringList events;
        bool dimmed;
    };
    const QString folderError = QStringLiteral("The folder cannot be shown.");
    const std::vector<Case> cases {
        { "nothing to tell", {}, {}, {}, false },
        { "microphone refused", { .microphone = false }, { AppTexts::microphoneRefusedButton },
            { AppTexts::microphoneRefusedTitle, "settings opened", "quit" }, false },
        { "refused after a crash on a first launch",
            { .microphone = false, .firstLaunch = true, .crashed = true },
            { AppTexts::microphoneRefusedButton, "OK", AppTexts::welcomeButton, AppTexts::feedbackButton },
            { AppTexts::microphoneRefusedTitle, "settings opened", AppTexts::crashedTitle, "folder shown",
                AppTexts::welcomeTitle, AppTexts::feedbackTitle, "popover", "quit" },
            false },
        { "the recordings folder cannot be shown", { .crashed = true, .folderFails = true }, { "OK", "OK" },
            { AppTexts::crashedTitle, "folder shown", folderError }, false },
        // Return answers neither welcome alert; only a click does.
        { "first launch without colour", { .firstLaunch = true, .differentiateWithoutColor = true },
            { "Return", AppTexts::welcomeButton, "Return", AppTexts::feedbackButton },
            { AppTexts::welcomeTitle, AppTexts::feedbackTitle, "popover" }, true },
    };
    for (const Case &test : cases) {
        SetUp();
        m_events.clear();
        AlertAnswerer alerts(test.buttons);
        const std::unique_ptr<AppState> state = launch(test.answers, alerts);
        if (test.answers.firstLaunch) {
            ASSERT_TRUE(TestSupport::processEventsUntil([] { return visiblePopover() != nullptr; }))
                << test.name;
            // Shown after both alerts, not before; it lives on until clicked.
            m_events.insert(m_events.indexOf(AppTexts::feedbackTitle) + 1, QStringLiteral("popover"));
            visiblePopover()->close();
        }
        EXPECT_EQ(m_events, test.events) << test.name;
        EXPECT_TRUE(alerts.unanswered().isEmpty()) << test.name;
        EXPECT_EQ(Defaults::get(SettingsKeys::dimMenuBarIconWhenNotRecording()), test.dimmed) << test.name;
    }
}

TEST_F(AppStateTest, TheStatusItemShowsTheSettingsAndTheStateFromTheStart)
{
    for (const bool dim : { false, true }) {
        SetUp();
        Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), dim);
        AlertAnswerer alerts({});
        const std::unique_ptr<AppState> state = launch({}, alerts);
        StatusBarButton &button = state->statusItem().button();
        EXPECT_EQ(button.image().cacheKey(), MenuBarIcons::image(MenuBarIcon::microphone).cacheKey());
        EXPECT_EQ(button.appearsDisabled(), dim);
        EXPECT_EQ(button.accessibilityValue(), QStringLiteral("Stopped"));
        EXPECT_EQ(button.accessibilityTitle(), QStringLiteral("Tapewick"));
        EXPECT_EQ(state->statusItem().menu(), &state->menu());

        Defaults::set(SettingsKeys::menuBarIcon(), MenuBarIcon::waveform);
        EXPECT_NE(button.image().cacheKey(), MenuBarIcons::image(MenuBarIcon::waveform).cacheKey())
            << "the image changes on the next turn, not during the change";
        TestSupport::processEventsFor(50ms);
        EXPECT_EQ(button.image().cacheKey(), MenuBarIcons::image(MenuBarIcon::waveform).cacheKey());
    }
}

TEST_F(AppStateTest, QuittingAsksOnlyWhileARecordingRunsAndOnlyQuitEndsIt)
{
    AlertAnswerer none({});
    const std::unique_ptr<AppState> state = launch({}, none);
    EXPECT_EQ(state->confirmQuit(), AppState::TerminateReply::terminateNow);
    EXPECT_TRUE(m_events.isEmpty()) << "no alert while stopped";

    struct Case
    {
        const char *name;
        AudioRecorder::State state;
        QString answer;
        AppState::TerminateReply reply;
        AudioRecorder::State after;
    };
    const std::vector<Case> cases {
        { "Return keeps recording", AudioRecorder::State::recording, "Return",
            AppState::TerminateReply::terminateCancel, AudioRecorder::State::recording },
        { "paused stays paused", AudioRecorder::State::paused, AppTexts::quitContinueButton,
            AppState::TerminateReply::terminateCancel, AudioRecorder::State::paused },
        { "Quit ends the recording", AudioRecorder::State::recording, AppTexts::quitButton,
            AppState::TerminateReply::terminateNow, AudioRecorder::State::stopped },
    };
    for (const Case &test : cases) {
        m_events.clear();
        if (state->recordingState() == AudioRecorder::State::stopped) {
            state->recorder().start();
        } else if (state->recordingState() == AudioRecorder::State::paused) {
            state->recorder().togglePauseAsync();
        }
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return state->recordingState() == AudioRecorder::State::recording; }, 10s));
        if (test.state == AudioRecorder::State::paused) {
            state->recorder().pause();
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return state->recordingState() == AudioRecorder::State::paused; }, 10s));
        }
        TestSupport::processEventsFor(500ms);
        const QString file = state->recorder().recorder().url().value_or(QUrl()).toLocalFile();

        AlertAnswerer alerts({ test.answer });
        alerts.inspect = [this](QMessageBox &alert) {
            m_events.append(alert.text());
            const QList<QAbstractButton *> buttons = alertButtons(&alert);
            ASSERT_EQ(buttons.size(), 2);
            EXPECT_EQ(buttons[0]->text(), AppTexts::quitContinueButton);
            EXPECT_TRUE(isDestructive(buttons[1]));
        };
        EXPECT_EQ(state->confirmQuit(), test.reply) << test.name;
        EXPECT_EQ(m_events, QStringList { AppTexts::quitTitle }) << test.name;
        EXPECT_EQ(state->recordingState(), test.after) << test.name;
        if (test.after == AudioRecorder::State::stopped) {
            // The file is complete by the time the answer lets the program end.
            const MediaFacts facts = probeMedia(file);
            EXPECT_TRUE(facts.decoded) << facts.error.toStdString();
            EXPECT_GT(facts.seconds, 0.3);
        }
    }
}

} // namespace
