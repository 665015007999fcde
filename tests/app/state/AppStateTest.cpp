#include "DesktopTest.h"
#include "EventLoop.h"
#include "MediaProbe.h"

#include "app/AppRecordingSettings.h"
#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "kit/foundation/system/SignalHandler.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/ServiceTexts.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/TrayStatusItem.h"
#include "platform/userdefaults/UserDefaults.h"
#include "recording/AudioRecorderController.h"
#include "recording/RecordingTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

namespace {

using namespace std::chrono_literals;

// Answers the application-modal alerts as they come, each with the next answer: a button's title,
// "Return" for the Return key, which may leave the alert open, or "signal N", which the signal
// handlers get as from the self-pipe while the alert waits. Each alert is inspected once; one left
// open once the answers are given is closed after a while, and noted among those unanswered.
class AlertAnswerer : public QObject
{
public:
    // A slow reader shows whether the program waits for an alert to be read.
    AlertAnswerer(QStringList answers, std::function<void(QMessageBox &)> inspect,
        std::chrono::milliseconds readingTime = 20ms)
        : m_answers(std::move(answers))
        , m_inspect(std::move(inspect))
    {
        connect(&m_timer, &QTimer::timeout, this, &AlertAnswerer::poll);
        m_timer.start(readingTime);
    }
    // Answers not given, and those no alert had a button for.
    QStringList unanswered() const { return m_answers + m_missed; }
    // An answer given elsewhere than in the alert, while it waits.
    void answerElsewhere(const QString &answer, std::function<void()> action)
    {
        m_elsewhere.emplace(answer, std::move(action));
    }

private:
    void poll()
    {
        auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible()) {
            return;
        }
        if (m_answers.isEmpty()) {
            if (++m_pollsLeftOpen * m_timer.interval() > 8000) {
                m_missed.append(QStringLiteral("left open: ") + alert->text());
                alert->reject();
            }
            return;
        }
        if (!alert->property("seen").toBool()) {
            alert->setProperty("seen", true);
            m_inspect(*alert);
        }
        const QString answer = m_answers.takeFirst();
        const QList<QAbstractButton *> buttons = alert->buttons();
        const auto button
            = std::find_if(buttons.begin(), buttons.end(), [&](auto *b) { return b->text() == answer; });
        if (const auto elsewhere = m_elsewhere.find(answer); elsewhere != m_elsewhere.end()) {
            elsewhere->second();
        } else if (answer == QLatin1String("Return")) {
            QTest::keyClick(alert, Qt::Key_Return);
        } else if (answer.startsWith(QLatin1String("signal "))) {
            SignalHandler::dispatch(answer.mid(7).toInt());
        } else if (button != buttons.end()) {
            (*button)->click();
        } else {
            m_missed.append(answer);
        }
    }

    QStringList m_answers;
    QStringList m_missed;
    int m_pollsLeftOpen = 0;
    std::function<void(QMessageBox &)> m_inspect;
    std::map<QString, std::function<void()>> m_elsewhere;
    QTimer m_timer;
};

// What the desktop answers at launch.
struct Answers
{
    bool microphone = true;
    bool firstLaunch = false;
    bool crashed = false;
    bool differentiateWithoutColor = false;
    bool folderFails = false;
};

class AppStateTest : public TestSupport::DesktopTest
{
protected:
    static void SetUpTestSuite() { FoundationHooks::setAppName(QStringLiteral("Tapewick")); }

    void SetUp() override
    {
        DesktopTest::SetUp();
        UserDefaults::standard()->removeAll();
        m_events.clear();
        FoundationHooks::setTerminate([this] { m_events.append(QStringLiteral("quit")); });
    }
    void TearDown() override { FoundationHooks::setTerminate({}); }

    // Notes each alert's title among the events, and a welcome popover that came too early.
    std::function<void(QMessageBox &)> noteTitle()
    {
        return [this](QMessageBox &alert) {
            m_events.append(visiblePopover() ? QStringLiteral("popover") : alert.text());
        };
    }

    std::unique_ptr<AppState> launch(const Answers &answers)
    {
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
        environment.exitEventLoop
            = [this](int status) { m_events.append(QStringLiteral("exit %1").arg(status)); };
        auto state = std::make_unique<AppState>(std::move(environment));
        state->recorder().setSavePanelRunner([](QFileDialog &) { return int(QDialog::Rejected); });
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return state->hasLaunched(); }, 20s));
        TestSupport::processEventsFor(100ms);
        return state;
    }

    // Starts a recording that is saved into `output` (none: the setting stays as it is) and lets it
    // run a second; answers its file's name, empty when it did not start.
    static QString recordForOutput(AppState &state, const QTemporaryDir *output)
    {
        if (output) {
            Defaults::set(SettingsKeys::defaultOutputDirectory(),
                std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output->path()))));
        }
        state.recorder().setRevealer([](const QList<QUrl> &) {});
        state.recorder().start();
        if (!TestSupport::processEventsUntil(
                [&] { return state.recordingState() == AudioRecorder::State::recording; }, 10s)) {
            return {};
        }
        TestSupport::processEventsFor(1s);
        return QFileInfo(state.recorder().recorder().url().value_or(QUrl()).toLocalFile()).fileName();
    }

    static QWidget *visiblePopover()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto found = std::ranges::find_if(windows, [](const QWidget *window) {
            return window->objectName() == QLatin1String("statusBarButtonWelcomePopover")
                && window->isVisible();
        });
        return found == windows.end() ? nullptr : *found;
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
                AppTexts::welcomeTitle, AppTexts::feedbackTitle, "quit", "popover" },
            false },
        { "the recordings folder cannot be shown", { .crashed = true, .folderFails = true }, { "OK", "OK" },
            { AppTexts::crashedTitle, "folder shown", folderError }, false },
        // Return answers neither welcome alert; only a click does.
        { "first launch without colour", { .firstLaunch = true, .differentiateWithoutColor = true },
            { "Return", AppTexts::welcomeButton, "Return", AppTexts::feedbackButton },
            { AppTexts::welcomeTitle, AppTexts::feedbackTitle, "popover" }, true },
        // A signal closes the notice it comes during, and the program ends with its number
        // instead of showing the others.
        { "a signal during the crash notice", { .firstLaunch = true, .crashed = true }, { "signal 15" },
            { AppTexts::crashedTitle, "exit 15" }, false },
        { "a signal during the refusal", { .microphone = false, .crashed = true }, { "signal 2" },
            { AppTexts::microphoneRefusedTitle, "exit 2" }, false },
        { "a signal during the welcome", { .firstLaunch = true }, { "signal 1" },
            { AppTexts::welcomeTitle, "exit 1" }, false },
    };
    for (const Case &test : cases) {
        SetUp();
        // What an interrupted save left is gone before any notice waits: a save begun meanwhile
        // leaves a hidden file of the same kind.
        QTemporaryDir output;
        const QString leftover
            = QDir(output.path()).filePath(QStringLiteral(".Take.m4a.0123456789abcdef0123456789abcdef.part"));
        QFile(leftover).open(QIODevice::WriteOnly);
        ASSERT_TRUE(QFile::exists(leftover));
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()))));
        AlertAnswerer alerts(test.buttons, [&, note = noteTitle()](QMessageBox &alert) {
            if (QFile::exists(leftover)) {
                m_events.append(QStringLiteral("leftover still there"));
            }
            note(alert);
        });
        const std::unique_ptr<AppState> state = launch(test.answers);
        if (test.events.contains(QStringLiteral("popover"))) {
            ASSERT_TRUE(TestSupport::processEventsUntil([] { return visiblePopover() != nullptr; }))
                << test.name;
            m_events.append(QStringLiteral("popover"));
            visiblePopover()->close();
        }
        EXPECT_EQ(m_events, test.events) << test.name;
        EXPECT_TRUE(alerts.unanswered().isEmpty()) << test.name;
        EXPECT_EQ(state->statusItem().button().accessibilityTitle(), QStringLiteral("Tapewick"));
        EXPECT_EQ(Defaults::get(SettingsKeys::dimMenuBarIconWhenNotRecording()), test.dimmed) << test.name;
    }
}

// An answer is promised only where what users write reaches the maker; the help page's own
// section reaches nobody.
TEST_F(AppStateTest, TheFeedbackNoticePromisesAnAnswerOnlyWithAFeedbackPage)
{
    const KwKit::Metadata before = KwKit::metadata();
    for (const bool page : { false, true }) {
        SetUp();
        KwKit::Metadata pages = before;
        pages.feedbackReachesMaker = page;
        KwKit::setMetadata(pages);
        QStringList messages;
        AlertAnswerer alerts({ AppTexts::welcomeButton, AppTexts::feedbackButton },
            [&](QMessageBox &alert) { messages.append(alert.informativeText()); });
        const std::unique_ptr<AppState> state = launch({ .firstLaunch = true });
        ASSERT_TRUE(TestSupport::processEventsUntil([] { return visiblePopover() != nullptr; })) << page;
        visiblePopover()->close();
        EXPECT_TRUE(alerts.unanswered().isEmpty()) << page;
        ASSERT_EQ(messages.size(), 2) << page;
        EXPECT_EQ(messages[1], page ? AppTexts::feedbackMessage : AppTexts::feedbackMessageWithoutPage);
    }
    KwKit::setMetadata(before);
}

TEST_F(AppStateTest, QuittingAsksOnlyWhileARecordingRunsAndOnlyQuitEndsIt)
{
    EXPECT_EQ(launch({})->confirmQuit(), AppState::TerminateReply::terminateNow);
    EXPECT_TRUE(m_events.isEmpty()) << "no alert while stopped";
    std::unique_ptr<AppState> state;
    const QString stopElsewhere = QStringLiteral("stop from the panel's menu");
    const QString quitAgain = QStringLiteral("Quit chosen again");

    struct Case
    {
        const char *name;
        AudioRecorder::State state;
        QStringList answers;
        AppState::TerminateReply reply;
        AudioRecorder::State after;
    };
    const std::vector<Case> cases {
        { "Return keeps recording", AudioRecorder::State::recording, { "Return" },
            AppState::TerminateReply::terminateCancel, AudioRecorder::State::recording },
        { "paused stays paused", AudioRecorder::State::paused, { AppTexts::quitContinueButton },
            AppState::TerminateReply::terminateCancel, AudioRecorder::State::paused },
        { "Quit ends the recording", AudioRecorder::State::recording, { AppTexts::quitButton },
            AppState::TerminateReply::terminateNow, AudioRecorder::State::stopped },
        // Nothing is left to continue: the alert closes, and the quit goes on as one while stopped.
        { "a stop elsewhere ends the question", AudioRecorder::State::paused, { stopElsewhere },
            AppState::TerminateReply::terminateNow, AudioRecorder::State::stopped },
        // The open alert is the one answered: no second one comes, and that quit ends nothing.
        { "a second quit asks nothing more", AudioRecorder::State::recording,
            { quitAgain, AppTexts::quitContinueButton }, AppState::TerminateReply::terminateCancel,
            AudioRecorder::State::recording },
    };
    for (const Case &test : cases) {
        m_events.clear();
        // A quit that goes ahead ends the program for good.
        if (!state || state->recorder().isEnding()) {
            state = launch({});
        }
        if (state->recordingState() == AudioRecorder::State::stopped) {
            state->recorder().start();
        } else if (state->recordingState() == AudioRecorder::State::paused) {
            state->recorder().togglePauseAsync();
        }
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return state->recordingState() == AudioRecorder::State::recording; }, 10s));
        // Some audio in the file, also in one paused at once.
        TestSupport::processEventsFor(500ms);
        if (test.state == AudioRecorder::State::paused) {
            state->recorder().pause();
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return state->recordingState() == AudioRecorder::State::paused; }, 10s));
        }
        const QString file = state->recorder().recorder().url().value_or(QUrl()).toLocalFile();

        AlertAnswerer alerts(test.answers, [this](QMessageBox &alert) {
            m_events.append(alert.text());
            const QList<QAbstractButton *> buttons = alertButtons(&alert);
            ASSERT_EQ(buttons.size(), 2);
            EXPECT_EQ(buttons[0]->text(), AppTexts::quitContinueButton);
            EXPECT_TRUE(isDestructive(buttons[1]));
        });
        alerts.answerElsewhere(stopElsewhere, [&state] { state->recorder().toggleRecording(); });
        std::optional<AppState::TerminateReply> secondReply;
        // From the menu, outside the answerer's own turn, which would not come again below a
        // second alert.
        alerts.answerElsewhere(quitAgain,
            [&] { QTimer::singleShot(0, state.get(), [&] { secondReply = state->confirmQuit(); }); });
        EXPECT_EQ(state->confirmQuit(), test.reply) << test.name;
        if (test.answers.contains(quitAgain)) {
            EXPECT_EQ(secondReply, AppState::TerminateReply::terminateCancel) << test.name;
        }
        EXPECT_EQ(m_events, QStringList { AppTexts::quitTitle }) << test.name;
        EXPECT_TRUE(alerts.unanswered().isEmpty()) << test.name;
        EXPECT_EQ(state->recordingState(), test.after) << test.name;
        if (test.after == AudioRecorder::State::stopped) {
            // The file is complete by the time the answer lets the program end.
            const MediaFacts facts = probeMedia(file);
            EXPECT_TRUE(facts.decoded) << facts.error.toStdString();
            EXPECT_GT(facts.seconds, 0.3);
        }
    }
}

// The quit alert says what becomes of the recording, and that is what happens: saved into the
// default output directory, or, without one, kept where recovery finds it.
TEST_F(AppStateTest, TheQuitAlertSaysWhereTheRecordingGoes)
{
    for (const bool withFolder : { true, false }) {
        SCOPED_TRACE(withFolder ? "with an output folder" : "without one");
        Defaults::reset({ SettingsKeys::defaultOutputDirectory() });
        // A quit that goes ahead ends the program for good: each case launches its own.
        const std::unique_ptr<AppState> state = launch({});
        QTemporaryDir output;
        ASSERT_FALSE(recordForOutput(*state, withFolder ? &output : nullptr).isEmpty());
        const QString temporary = state->recorder().recorder().url().value_or(QUrl()).toLocalFile();

        QString message;
        AlertAnswerer alerts(
            { AppTexts::quitButton }, [&](QMessageBox &alert) { message = alert.informativeText(); });
        EXPECT_EQ(state->confirmQuit(), AppState::TerminateReply::terminateNow);
        EXPECT_EQ(message.toStdString(),
            (withFolder ? AppTexts::quitSavesIn(output.path()) : AppTexts::quitKeepsForRecovery)
                .toStdString());
        const QStringList saved = QDir(output.path()).entryList(QDir::Files);
        EXPECT_EQ(saved, withFolder ? QStringList { QFileInfo(temporary).fileName() } : QStringList());
        EXPECT_TRUE(QFile::exists(temporary)) << "the temporary recording stays for recovery";
    }
}

// A save that fails when the user quits is shown before the program ends, without waiting out the
// time a save may take, and the recording stays where recovery finds it. A signal while the alert
// waits closes it and ends the program with its number. Each case a launch of its own: a quit ends
// the program for good, and a recording stopped earlier may still be saving when the folder changes.
TEST_F(AppStateTest, ASaveFailingAtQuitIsReadBeforeTheProgramEnds)
{
    // The answer to the failure's alert, and what ends the program then: the quit's reply, or the
    // signal's exit.
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("Return"), QStringLiteral("quit now") },
        { QStringLiteral("signal 15"), QStringLiteral("exit 15") },
    };
    for (const auto &[answer, end] : cases) {
        SCOPED_TRACE(answer.toStdString());
        SetUp();
        const std::unique_ptr<AppState> state = launch({});
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(QStringLiteral("/proc")))));
        state->recorder().setRevealer([](const QList<QUrl> &) {});
        state->recorder().start();
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return state->recordingState() == AudioRecorder::State::recording; }, 10s));
        TestSupport::processEventsFor(500ms);
        const QString kept = state->recorder().recorder().url().value_or(QUrl()).toLocalFile();

        QStringList details;
        AlertAnswerer alerts(
            { AppTexts::quitButton, answer },
            [&](QMessageBox &alert) {
                m_events.append(alert.text());
                details.append(alert.informativeText());
            },
            400ms);
        QElapsedTimer clock;
        clock.start();
        if (state->confirmQuit() == AppState::TerminateReply::terminateNow) {
            m_events.append(QStringLiteral("quit now"));
        }
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return m_events.contains(end); }, 5s));
        EXPECT_LT(clock.elapsed(), 5000);
        // What failed is read before the end.
        EXPECT_EQ(m_events,
            QStringList({ AppTexts::quitTitle, RecordingTexts::notSavedIn(QStringLiteral("/proc")), end }));
        // And where the recording is kept.
        ASSERT_EQ(details.size(), 2);
        EXPECT_TRUE(details[1].endsWith(RecordingTexts::keptAt(kept))) << details[1].toStdString();
        EXPECT_TRUE(alerts.unanswered().isEmpty()) << alerts.unanswered().join(u'|').toStdString();
        EXPECT_TRUE(QFile::exists(kept));
    }
}

// Quitting while the save panel waits for its answer says that the recording stays for recovery.
// A confirmed quit closes the panel unanswered and goes on at once, not after a save's time limit;
// otherwise the panel stays.
TEST_F(AppStateTest, QuittingOverTheSavePanelSaysTheRecordingStaysForRecovery)
{
    for (const QString &answer : { AppTexts::quitContinueSavingButton, AppTexts::quitButton }) {
        SCOPED_TRACE(answer.toStdString());
        SetUp();
        const std::unique_ptr<AppState> state = launch({});
        Defaults::reset({ SettingsKeys::defaultOutputDirectory() });
        ASSERT_FALSE(recordForOutput(*state, nullptr).isEmpty());
        const QString temporary = state->recorder().recorder().url().value_or(QUrl()).toLocalFile();
        // The quit chosen from the menu while the panel waits, as the terminate hook would ask. The
        // panel's loop is left only once it is closed: a panel left open is noted and closed.
        QPointer<QFileDialog> openPanel;
        FoundationHooks::setTerminate([&, state = QPointer<AppState>(state.get())] {
            if (!state) {
                return;
            }
            m_events.append(state->confirmQuit() == AppState::TerminateReply::terminateNow
                    ? QStringLiteral("quit now")
                    : QStringLiteral("quit cancelled"));
            if (openPanel && openPanel->isVisible()) {
                m_events.append(QStringLiteral("panel open"));
                openPanel->reject();
            }
        });
        QElapsedTimer clock;
        state->recorder().setSavePanelRunner([&](QFileDialog &panel) {
            openPanel = &panel;
            QTimer::singleShot(200ms, &panel, [&clock] {
                clock.start();
                FoundationHooks::terminate();
            });
            return panel.exec();
        });
        AlertAnswerer alerts({ answer }, [this](QMessageBox &alert) {
            m_events.append(alert.text());
            m_events.append(alert.informativeText());
        });
        state->recorder().stopRecording();

        const bool quits = answer == AppTexts::quitButton;
        const QStringList expected
            = { AppTexts::quitTitle, AppTexts::quitLeavesPanelUnanswered, QStringLiteral("quit cancelled"),
                  quits ? QStringLiteral("quit now") : QStringLiteral("panel open") };
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [&] { return m_events.size() >= expected.size() && !openPanel; }, 20s));
        EXPECT_EQ(m_events, expected);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_TRUE(alerts.unanswered().isEmpty());
        EXPECT_EQ(state->recordingState(), AudioRecorder::State::stopped);
        EXPECT_TRUE(QFile::exists(temporary)) << "kept for recovery";
        FoundationHooks::setTerminate({});
    }
}

// Quitting right after a stop asks nothing, but ends only once the recording is saved whole.
TEST_F(AppStateTest, QuittingJustAfterAStopWaitsUntilTheRecordingIsSaved)
{
    const std::unique_ptr<AppState> state = launch({});
    QTemporaryDir output;
    const QString name = recordForOutput(*state, &output);
    ASSERT_FALSE(name.isEmpty());

    state->recorder().stopRecording();
    EXPECT_EQ(state->confirmQuit(), AppState::TerminateReply::terminateNow);
    EXPECT_TRUE(m_events.isEmpty()) << "no alert once stopped";
    ASSERT_EQ(QDir(output.path()).entryList(QDir::Files | QDir::Hidden).join(u'|').toStdString(),
        name.toStdString());
    const MediaFacts facts = probeMedia(QDir(output.path()).filePath(name));
    EXPECT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GT(facts.seconds, 0.5);
}

// Whatever asks for a recording or a monitor while the program ends, by a signal or a confirmed
// quit, starts nothing, a second quit joins that ending, and the save the ending waits for asks
// for no review. From its start the item and the menu say that the recording is being finished,
// and the menu offers nothing that the ending refuses.
TEST_F(AppStateTest, AStartWhileTheProgramEndsStartsNothingAndItsSaveAsksNoReview)
{
    // The menu's enabled items among those the ending refuses, and its first row.
    const QStringList refused { MenuTexts::record, MenuTexts::monitorInput, MenuTexts::settings,
        ServiceTexts::quitItem(KwApp::name()) };
    const auto offered = [&](const QMenu &menu) {
        QStringList rows;
        for (const QAction *item : menu.actions()) {
            if (item->isEnabled() && refused.contains(item->text())) {
                rows << item->text();
            }
        }
        const QAction *first = menu.actions().value(0);
        return rows << (first && !first->isEnabled() ? first->text() : QStringLiteral("(none)"));
    };
    for (const AppState::ExitCause cause : { AppState::ExitCause::signal, AppState::ExitCause::userQuit }) {
        SCOPED_TRACE(static_cast<int>(cause));
        SetUp();
        const std::unique_ptr<AppState> state = launch({});
        QTemporaryDir output;
        const QString name = recordForOutput(*state, &output);
        ASSERT_FALSE(name.isEmpty());

        // Come on the ending's first turn, as a menu choice, hot key or call would: a signal's before
        // its wait, a quit's within it. The menu is open as the ending starts (as a panel may keep
        // it), and opened again.
        QList<QStringList> menus;
        std::optional<AppState::TerminateReply> secondQuit;
        emit state->menu().aboutToShow();
        QTimer::singleShot(0, state.get(), [&] {
            state->recorder().start();
            state->toggleInputMonitoring();
            secondQuit = state->confirmQuit();
            menus << offered(state->menu());
            emit state->menu().aboutToHide();
            emit state->menu().aboutToShow();
            menus << offered(state->menu());
            emit state->menu().aboutToHide();
        });
        if (cause == AppState::ExitCause::signal) {
            // A signal while a dialog waits goes on once that has closed, on a later turn: a quit
            // meanwhile is refused at once, asking nothing.
            QDialog waiting;
            waiting.show();
            state->handleTerminationSignal(SIGTERM);
            bool turned = false;
            QTimer::singleShot(0, state.get(), [&] { turned = true; });
            EXPECT_EQ(state->confirmQuit(), AppState::TerminateReply::terminateCancel);
            EXPECT_FALSE(turned) << "the quit waited for something";
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return m_events.contains(QStringLiteral("exit %1").arg(SIGTERM)); }, 30s));
        } else {
            state->recorder().stopRecording();
            EXPECT_EQ(state->confirmQuit(), AppState::TerminateReply::terminateNow);
        }
        EXPECT_EQ(secondQuit, AppState::TerminateReply::terminateCancel);
        EXPECT_EQ(menus, QList<QStringList>(2, { MenuTexts::finishingRecording }));
        const StatusBarButton &button = state->statusItem().button();
        EXPECT_EQ(button.accessibilityValue(), MenuTexts::finishingRecording);
        EXPECT_TRUE(button.appearsDisabled());
        EXPECT_EQ(button.title(), QString());
        EXPECT_EQ(state->recorder().manualInputMonitor(), nullptr);
        EXPECT_EQ(QDir(output.path()).entryList(QDir::Files).join(u'|').toStdString(), name.toStdString());
        // A start let through would be recording once its sound has played.
        TestSupport::processEventsFor(2s);
        EXPECT_EQ(state->recordingState(), AudioRecorder::State::stopped);
        // Absent, or the default once a request has registered it.
        EXPECT_EQ(
            UserDefaults::standard()->object("Kw_requestReviewCount").value_or(PropertyValue(qint64(0))),
            PropertyValue(qint64(0)));
    }
}

} // namespace
