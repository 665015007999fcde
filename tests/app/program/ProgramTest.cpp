#include "Command.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "FrozenSoundServer.h"
#include "MediaProbe.h"
#include "ProgramProcess.h"
#include "ScopedEnv.h"
#include "TestDesktop.h"
#include "TrayIcon.h"
#include "XInput.h"

#include "app/AppMain.h"
#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/FileDescriptor.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "recording/RecordingTexts.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <utility>

namespace {

using TestSupport::xdotool;

std::optional<QRect> trayIcon(const ProgramProcess &program)
{
    std::optional<QRect> icon;
    TestSupport::processEventsUntil(
        [&] { return (icon = embeddedTrayIcon(program.pid())).has_value(); }, std::chrono::seconds(10));
    return icon;
}

// A recording left for recovery lies in the user's own folder of them, in a folder of its own.
auto removedAfterwards(const QString &recording)
{
    return qScopeGuard([recording] {
        if (QFileInfo(recording).isAbsolute()) {
            QDir(QFileInfo(recording).path()).removeRecursively();
        }
    });
}

// Whether a window of that title is on the screen.
bool windowShows(const QString &title)
{
    return TestSupport::runCommand(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title })
        .succeeded();
}

// The program's windows on the screen, as the X server's own tools see them.
qsizetype shownWindows(const ProgramProcess &program)
{
    return TestSupport::runCommand(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
            QString::number(program.pid()) })
        .output.split(u'\n', Qt::SkipEmptyParts)
        .size();
}

// Chooses the tray menu's nth item that can be chosen, as a user would; below zero, counted from
// the bottom (-1 is Quit).
void chooseItem(ProgramProcess &program, int position)
{
    const QPoint icon = trayIcon(program).value_or(QRect()).center();
    const qsizetype opened = program.log().count(QStringLiteral("Menu opens"));
    const qsizetype shown = shownWindows(program);
    xdotool({ "mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "1" });
    EXPECT_TRUE(program.waitForLog(QStringLiteral("Menu opens"), 5, opened + 1));
    // Built before it is shown, which a loaded machine may take its time over; keys reach it once
    // it is on the screen.
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return shownWindows(program) > shown; }, std::chrono::seconds(5)))
        << program.log().toStdString();
    xdotool(QStringList { "key" }
        + QStringList(std::abs(position), position > 0 ? QStringLiteral("Down") : QStringLiteral("Up"))
        + QStringList { "Return" });
}

// Starts a recording from the menu; answers its temporary file, empty when none started. The file
// is named in a line of its own after the new state's, and is waited for as such.
QString record(ProgramProcess &program)
{
    chooseItem(program, 1);
    static const QRegularExpression into(
        QStringLiteral("Recording into \"([^\"]*)\"$"), QRegularExpression::MultilineOption);
    const std::optional<QRegularExpressionMatch> recording = program.waitForMatch(into);
    const QString path = recording ? recording->captured(1) : QString();
    EXPECT_FALSE(path.isEmpty()) << program.log().toStdString();
    return path;
}

xcb_connection_t *x11()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

template<typename T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

// The tray's window that holds the program's icon, as the X server has it.
std::optional<xcb_window_t> trayIconHolder(const ProgramProcess &program)
{
    const QString windows = TestSupport::runCommand(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
            QString::number(program.pid()) })
                                .output;
    for (const QString &window : windows.split(u'\n', Qt::SkipEmptyParts)) {
        const XReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(x11(), xcb_query_tree(x11(), window.toUInt()), nullptr), &std::free);
        if (tree && tree->parent != tree->root) {
            return tree->parent;
        }
    }
    return std::nullopt;
}

bool windowExists(xcb_window_t window)
{
    const XReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(x11(), xcb_get_window_attributes(x11(), window), nullptr),
        &std::free);
    return attributes != nullptr;
}

xcb_window_t keyboardFocus()
{
    const XReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(x11(), xcb_get_input_focus(x11()), nullptr), &std::free);
    return reply ? reply->focus : xcb_window_t(XCB_NONE);
}

// An automation call, as a user's script would make it.
TestSupport::CommandResult intent(const QString &method, const QStringList &arguments = {})
{
    return TestSupport::runCommand(QStringLiteral("gdbus"),
        QStringList { QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
            QStringLiteral("com.larkvelden.Tapewick"), QStringLiteral("--object-path"),
            QStringLiteral("/com/larkvelden/Tapewick"), QStringLiteral("--method"),
            QStringLiteral("com.larkvelden.Tapewick.Intents.") + method }
            + arguments);
}

// A line of the process's status (/proc/<pid>/status), without its name; empty when it has none.
QString statusLine(qint64 pid, QLatin1StringView name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromLatin1(status.readAll());
    const qsizetype at = text.indexOf(u'\n' + name + u':');
    return at < 0 ? QString() : text.mid(at + name.size() + 2).section(u'\n', 0, 0).trimmed();
}

// The program runs its own code and sets itself up: its libraries are loaded and Qt has started a
// thread of its own. Its signal handlers come later, once the application object is set up.
bool isSettingUp(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath()
        == QFileInfo(QStringLiteral(TAPEWICK_PATH)).canonicalFilePath()
        && statusLine(pid, QLatin1StringView("Threads")).toInt() >= 2;
}

// The blocked signals of a status file's SigBlk line.
quint64 blockedSignals(const QByteArray &status)
{
    const qsizetype at = status.indexOf("SigBlk:");
    return at < 0 ? ~quint64(0) : status.mid(at + 7).split('\n').value(0).trimmed().toULongLong(nullptr, 16);
}

class ProgramTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        ProgramProcess::resetSettings();
        QDir(QDir::homePath() + QStringLiteral("/.cache")).removeRecursively();
    }

    static UserDefaults &database() { return *UserDefaults::standard(); }
};

TEST_F(ProgramTest, TheTrayItemFollowsTheSettingsAndASecondInstanceLeavesItAlone)
{
    for (const bool dim : { false, true }) {
        SetUp();
        Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), dim);
        ProgramProcess program;
        ASSERT_TRUE(trayIcon(program)) << program.log().toStdString();
        for (const QString &line :
            { QStringLiteral("accessibility value \"Stopped\""), QStringLiteral("image microphone"),
                QStringLiteral("appears disabled %1").arg(dim ? "true" : "false") }) {
            EXPECT_TRUE(program.waitForLog(line)) << line.toStdString();
        }
        Defaults::set(SettingsKeys::menuBarIcon(), MenuBarIcon::waveform);
        EXPECT_TRUE(program.waitForLog(QStringLiteral("image waveform")));

        QProcess second;
        second.start(QStringLiteral(TAPEWICK_PATH), {});
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(second.readAllStandardError(), QByteArray("Tapewick is already running.\n"));
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << "the first instance ran on";
    }
}

TEST_F(ProgramTest, TheRecordingShortcutStartsAndStopsOnRelease)
{
    // Control+Shift+R.
    database().setObject(
        "KeyboardShortcuts_toggleRecording", PropertyValue(R"({"carbonKeyCode":15,"carbonModifiers":4608})"));
    ProgramProcess program;
    ASSERT_TRUE(trayIcon(program));
    const auto press = [](bool down) {
        xdotool(
            { down ? QStringLiteral("keydown") : QStringLiteral("keyup"), QStringLiteral("ctrl+shift+r") });
    };
    const QString recording = QStringLiteral("accessibility value \"Recording\"");
    press(true);
    EXPECT_FALSE(program.waitForLog(recording, 1)) << "acted on the key press";
    press(false);
    EXPECT_TRUE(program.waitForLog(recording)) << program.log().toStdString();

    press(true);
    press(false);
    const QString stopped = QStringLiteral("accessibility value \"Stopped\"");
    EXPECT_TRUE(program.waitForLog(stopped, 10, 2)) << program.log().toStdString();
}

// Quit ends with status 0, an exit signal with its number, at once and cleanly also with the support
// window open (its window goes before the application does): the next start notices no crash. From
// the first moment: a recording started over the bus while the next start's crash notice waits is
// saved whole when a signal ends the program, which closes the notice.
TEST_F(ProgramTest, QuitOrAnExitSignalEndsThroughTheEndingAndAnAbortInsideIsACrash)
{
    constexpr int quit = 0;
    const std::pair<int, bool> endings[]
        = { { SIGHUP, false }, { SIGINT, false }, { SIGQUIT, false }, { SIGABRT, false }, { SIGALRM, false },
              { quit, true }, { SIGTERM, true }, { quit, false }, { SIGTERM, false } };
    const QString crashNotice = QStringLiteral("Alert: \"Tapewick crashed the last time it was run.\"");
    const QString chord = QStringLiteral("shift+ctrl+alt");
    for (const auto &[ending, supportWindow] : endings) {
        SCOPED_TRACE(testing::Message() << ending << (supportWindow ? " with the support window" : ""));
        // The launch chord for the support window, held until it shows.
        bool held = false;
        const auto release = [&] {
            if (std::exchange(held, false)) {
                xdotool({ QStringLiteral("keyup"), chord });
            }
        };
        const auto releaseOnFailure = qScopeGuard(release);
        if (supportWindow) {
            xdotool({ QStringLiteral("keydown"), chord });
            held = true;
        }
        ProgramProcess program;
        ASSERT_TRUE(program.waitForLog(QStringLiteral("accessibility value"))) << program.log().toStdString();
        EXPECT_FALSE(program.log().contains(crashNotice)) << "the ending before was a crash";
        if (supportWindow) {
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [] { return windowShows(QStringLiteral("Tapewick Support")); }, std::chrono::seconds(10)))
                << program.log().toStdString();
            release();
        }
        if (ending == quit) {
            chooseItem(program, -1);
        }
        QElapsedTimer timer;
        timer.start();
        if (ending != quit) {
            program.signal(ending);
        }
        EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(ending)) << program.log().toStdString();
        EXPECT_LT(timer.elapsed(), 3000);
    }
    {
        ProgramProcess program(QStringLiteral(ABORT_PRELOAD_PATH));
        ASSERT_TRUE(program.waitForLog(QStringLiteral("accessibility value")));
        EXPECT_FALSE(program.log().contains(crashNotice)) << "none of the endings was a crash";
        program.signal(SIGUSR1); // abort() inside
        // Dies of it at once, as without a handler, rather than handling its own abort forever.
        EXPECT_EQ(program.waitForExit(5), ProgramEnd::killedBy(SIGABRT)) << program.log().toStdString();
    }
    QTemporaryDir output;
    Defaults::set(SettingsKeys::defaultOutputDirectory(),
        std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()))));
    Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    ProgramProcess afterCrash;
    ASSERT_TRUE(afterCrash.waitForLog(crashNotice)) << afterCrash.log().toStdString();
    // The notice holds the log of the recording's file back.
    const TestSupport::CommandResult started = intent(QStringLiteral("SetRecordingState"), { "recording" });
    ASSERT_TRUE(started.succeeded()) << started.describe().toStdString();
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] {
            return intent(QStringLiteral("GetRecordingState")).output.contains(QStringLiteral("'recording'"));
        },
        std::chrono::seconds(10)))
        << afterCrash.log().toStdString();
    QThread::sleep(2);
    afterCrash.signal(SIGTERM);
    EXPECT_EQ(afterCrash.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << afterCrash.log().toStdString();
    const QStringList saved = QDir(output.path()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(saved.size(), 1) << saved.join(u'|').toStdString() << afterCrash.log().toStdString();
    QDirIterator kept(UniqueTemporaryDirectories::defaultBase(), { saved.first() }, QDir::Files,
        QDirIterator::Subdirectories);
    ASSERT_TRUE(kept.hasNext()) << "the recording's own file";
    const auto cleanup = removedAfterwards(kept.next());
    const MediaFacts facts = probeMedia(output.filePath(saved.first()));
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GT(facts.seconds, 1.4);
}

// An ending signal that comes while the program still sets itself up, before its handlers are in
// place, ends it through the ending as a later one does, with its own number as the status, rather
// than killing it. The signals are held back meanwhile, but no process the program starts inherits
// that: one started from the menu blocks none of them.
TEST_F(ProgramTest, AnEndingSignalWhileTheProgramSetsItselfUpEndsThroughTheEndingAndNoChildInheritsTheHold)
{
    quint64 endingSignals = 0;
    for (int round = 0; round < 2; ++round) {
        for (const int ending : { SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGALRM, SIGTERM }) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", signal " << ending);
            endingSignals |= quint64(1) << (ending - 1);
            ProgramProcess program;
            QElapsedTimer waited;
            waited.start();
            // Polled closely: the program is past this point within some tens of milliseconds.
            while (!isSettingUp(program.pid()) && waited.elapsed() < 10000) {
                QThread::usleep(200);
            }
            ASSERT_TRUE(isSettingUp(program.pid())) << program.log().toStdString();
            program.signal(ending);
            EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(ending)) << program.log().toStdString();
        }
    }

    // "Show Recordings" opens the output folder with the desktop's opener, here one that tells
    // what it blocks.
    QTemporaryDir bin;
    QTemporaryDir output;
    ASSERT_TRUE(bin.isValid() && output.isValid());
    const QString told = bin.filePath(QStringLiteral("status"));
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    // Not a shell, which would clear what it was started with.
    TestSupport::writeFile(opener,
        "#!/usr/bin/env python3\nimport os\nwith open('" + QFile::encodeName(told)
            + ".part', 'w') as out:\n    out.write(open('/proc/self/status').read())\nos.rename('"
            + QFile::encodeName(told) + ".part', '" + QFile::encodeName(told) + "')\n");
    ASSERT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const TestSupport::ScopedEnv path("PATH", bin.path() + u':' + qEnvironmentVariable("PATH"));
    Defaults::set(SettingsKeys::defaultOutputDirectory(),
        std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()))));
    ProgramProcess program;
    ASSERT_TRUE(program.waitForLog(QStringLiteral("accessibility value"))) << program.log().toStdString();
    chooseItem(program, -4);
    ASSERT_TRUE(
        TestSupport::processEventsUntil([&] { return QFile::exists(told); }, std::chrono::seconds(10)))
        << program.log().toStdString();
    const quint64 blocked = blockedSignals(TestSupport::readFile(told));
    EXPECT_EQ(blocked & endingSignals, 0u) << std::hex << blocked;
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << program.log().toStdString();
}

// Terminated, a recording is saved under its own name, or without a directory to save into left
// for recovery, with no panel holding up the end; killed, it plays to within a second of the kill.
// At logout a terminate signal is soon followed by another, which joins the ending it began.
TEST_F(ProgramTest, TerminatingOrKillingARecordingLeavesItCompleteSavedOrForRecovery)
{
    // Signal, the one following it (0 for none), whether there is an output directory, seconds.
    const std::tuple<int, int, bool, int> cases[]
        = { { SIGTERM, 0, true, 2 }, { SIGTERM, 0, false, 2 }, { SIGKILL, 0, false, 3 },
              { SIGTERM, SIGHUP, true, 2 }, { SIGTERM, SIGINT, true, 2 }, { SIGTERM, SIGTERM, true, 2 } };
    for (const auto &[signal, followedBy, withOutputDirectory, seconds] : cases) {
        SCOPED_TRACE(testing::Message() << signal << ' ' << followedBy << ' ' << withOutputDirectory);
        SetUp();
        QTemporaryDir output;
        if (withOutputDirectory) {
            Defaults::set(SettingsKeys::defaultOutputDirectory(),
                std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()))));
            Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
        }
        ProgramProcess program;
        const QString temporary = record(program);
        // Without a recording the checks below would look into an empty folder.
        ASSERT_FALSE(temporary.isEmpty()) << program.log().toStdString();
        const auto cleanup = removedAfterwards(temporary);
        const std::optional<xcb_window_t> holder = trayIconHolder(program);
        ASSERT_TRUE(holder.has_value()) << program.log().toStdString();
        QThread::sleep(seconds);
        program.signal(signal);
        if (followedBy != 0) {
            QThread::msleep(20);
            program.signal(followedBy);
        }
        EXPECT_EQ(program.waitForExit(),
            signal == SIGTERM ? ProgramEnd::exitedWith(SIGTERM) : ProgramEnd::killedBy(SIGKILL))
            << program.log().toStdString();
        // Once the tray has let go of the icon's place, the keyboard still reaches the desktop's
        // windows and global shortcuts, with no window manager to give it back.
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [&] { return !windowExists(*holder); }, std::chrono::seconds(10)));
        if (keyboardFocus() == XCB_NONE) {
            ADD_FAILURE() << "the keyboard focus was left to no window";
            // Given back for the tests after this one.
            xcb_set_input_focus(
                x11(), XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
            xcb_flush(x11());
        }
        const QStringList saved = QDir(output.path()).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(saved.join(u'|').toStdString(),
            withOutputDirectory ? QFileInfo(temporary).fileName().toStdString() : std::string())
            << program.log().toStdString();
        const MediaFacts facts = probeMedia(withOutputDirectory ? output.filePath(saved.first()) : temporary);
        ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
        EXPECT_GT(facts.seconds, seconds - (signal == SIGKILL ? 1.0 : 0.6));
        EXPECT_LT(facts.seconds, seconds + 0.6);
    }
}

// Nobody answers a save panel while the session ends: the ending closes it instead of waiting
// out its limit below the panel, and the recording stays for recovery.
TEST_F(ProgramTest, ATerminateSignalClosesAnOpenSavePanelAndLeavesTheRecordingForRecovery)
{
    ProgramProcess program;
    const QString temporary = record(program);
    ASSERT_FALSE(temporary.isEmpty()) << program.log().toStdString();
    const auto cleanup = removedAfterwards(temporary);
    QThread::sleep(1);
    chooseItem(program, 2); // Stop, after Pause
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [] {
            return TestSupport::runCommand(QStringLiteral("xdotool"),
                { QStringLiteral("search"), QStringLiteral("--name"),
                    QStringLiteral("Save Audio Recording") })
                .succeeded();
        },
        std::chrono::seconds(10)))
        << program.log().toStdString();
    QElapsedTimer ending;
    ending.start();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << program.log().toStdString();
    EXPECT_LT(ending.elapsed(), 5000) << program.log().toStdString();
    EXPECT_TRUE(probeMedia(temporary).decoded) << program.log().toStdString();
}

// The save panels on the screen.
qsizetype savePanels()
{
    return TestSupport::runCommand(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            RecordingTexts::savePanelTitle() })
        .output.split(u'\n', Qt::SkipEmptyParts)
        .size();
}

// The tray menu opens whatever dialog waits, and works there: a recording started from it while
// the welcome waits, stopped from it into the save panel, and Quit chosen over the panel, whose
// alert says the recording stays for recovery; quitting leaves it there.
TEST_F(ProgramTest, TheTrayMenuWorksWhileAnyDialogWaitsAndQuitsOverTheSavePanel)
{
    database().removeObject("Kw_launchCount"); // a first launch, with its welcome
    ProgramProcess program;
    ASSERT_TRUE(program.waitForLog(QStringLiteral("Alert: \"%1\"").arg(AppTexts::welcomeTitle)))
        << program.log().toStdString();
    const QString temporary = record(program);
    ASSERT_FALSE(temporary.isEmpty()) << program.log().toStdString();
    const auto cleanup = removedAfterwards(temporary);
    QThread::sleep(1);
    chooseItem(program, 2); // Stop, after Pause
    ASSERT_TRUE(TestSupport::processEventsUntil([] { return savePanels() == 1; }, std::chrono::seconds(10)))
        << program.log().toStdString();
    chooseItem(program, -1);
    ASSERT_TRUE(program.waitForLog(QStringLiteral("Alert: \"%1\"").arg(AppTexts::quitTitle)))
        << program.log().toStdString();
    // From "Continue Saving", which Return answers, to "Quit".
    xdotool({ QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("space") });
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(0)) << program.log().toStdString();
    EXPECT_TRUE(probeMedia(temporary).decoded) << "kept for recovery\n" << program.log().toStdString();
}

// A recording that ends while the save panel of another waits gets no panel over it: its own opens
// once the first is answered, and both are saved.
TEST_F(ProgramTest, ASecondStopWaitsForTheOpenSavePanelAndBothAreSaved)
{
    ProgramProcess program;
    ASSERT_TRUE(trayIcon(program)) << program.log().toStdString();
    QStringList recordings;
    for (int take = 0; take < 2; ++take) {
        ASSERT_TRUE(intent(QStringLiteral("SetRecordingState"), { "recording" }).succeeded());
        static const QRegularExpression into(
            QStringLiteral("Recording into \"([^\"]*)\"$"), QRegularExpression::MultilineOption);
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] {
                const QString log = program.log();
                return log.count(QStringLiteral("Recording into")) > take;
            },
            std::chrono::seconds(10)))
            << program.log().toStdString();
        QRegularExpressionMatchIterator matches = into.globalMatch(program.log());
        QString path;
        while (matches.hasNext()) {
            path = matches.next().captured(1);
        }
        recordings << path;
        // Named by the second they start in.
        QThread::sleep(1);
        ASSERT_TRUE(intent(QStringLiteral("SetRecordingState"), { "stopped" }).succeeded());
        ASSERT_TRUE(
            TestSupport::processEventsUntil([] { return savePanels() == 1; }, std::chrono::seconds(10)))
            << program.log().toStdString();
    }
    const auto cleanup = qScopeGuard([&] {
        for (const QString &recording : recordings) {
            QDir(QFileInfo(recording).path()).removeRecursively();
        }
    });
    ASSERT_TRUE(program.waitForLog(QStringLiteral("The recording waits for the open save panel")))
        << program.log().toStdString();
    TestSupport::processEventsFor(std::chrono::milliseconds(500));
    EXPECT_EQ(savePanels(), 1) << "a second panel opened over the first";
    // Each panel offers its recording's name in the home folder; Return saves it there.
    for (qsizetype answered = 1; answered <= recordings.size(); ++answered) {
        const QString saved = QDir::home().filePath(QFileInfo(recordings.at(answered - 1)).fileName());
        xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [&] { return QFileInfo::exists(saved); }, std::chrono::seconds(10)))
            << saved.toStdString() << '\n'
            << program.log().toStdString();
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [&] { return savePanels() == recordings.size() - answered; }, std::chrono::seconds(10)));
    }
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << program.log().toStdString();
}

// A sound server that stopped answering holds whatever waits on it, the ending's own end sound too:
// the end gives it a bounded time, leaves it behind and ends with its usual status, the recording
// kept for recovery. Work left behind may wake at any moment: the process then ends at once,
// tearing nothing down that it might use.
TEST_F(ProgramTest, AFrozenSoundServerHoldsNoEndLongerThanItsLimit)
{
    using std::chrono::milliseconds;
    const milliseconds stuckWorkLimit = AppMain::stuckWorkLimit;
    const milliseconds finishLimit = AppState::finishLimit;
    // Whether a recording runs, and how the program is ended: a signal, or 0 for the menu's Quit.
    const std::pair<bool, int> cases[] = { { false, SIGTERM }, { false, 0 }, { true, SIGTERM } };
    for (const auto &[recording, signal] : cases) {
        SCOPED_TRACE(testing::Message() << recording << ' ' << signal);
        SetUp();
        ProgramProcess program(QStringLiteral(ABORT_PRELOAD_PATH));
        ASSERT_TRUE(trayIcon(program)) << program.log().toStdString();
        const QString tornDown = QStringLiteral("Torn down: %1\n").arg(program.pid());
        const QString temporary = recording ? record(program) : QString();
        ASSERT_EQ(temporary.isEmpty(), !recording) << program.log().toStdString();
        const auto cleanup = removedAfterwards(temporary);
        if (recording) {
            QThread::sleep(2);
        }
        const FrozenSoundServer frozen;
        QElapsedTimer ending;
        ending.start();
        if (signal != 0) {
            program.signal(signal);
        } else {
            chooseItem(program, -1);
        }
        // The item says what the ending does while it waits.
        const QString shown = recording ? MenuTexts::finishingRecording : MenuTexts::quitting;
        EXPECT_TRUE(program.waitForLog(QStringLiteral("accessibility value \"%1\"").arg(shown), 5))
            << program.log().toStdString();
        const milliseconds limit = stuckWorkLimit + (recording ? finishLimit : milliseconds(0));
        // What is left after the limits: starting the program's end, and ending a process.
        const milliseconds leeway(5000);
        EXPECT_EQ(program.waitForExit(int((limit + leeway).count() / 1000)), ProgramEnd::exitedWith(signal))
            << program.log().toStdString();
        EXPECT_LT(ending.elapsed(), (limit + leeway).count());
        // A signal's ending plays the end sound, which waits on the server; Quit plays none.
        const QString leftBehind = QStringLiteral("Ending without what the sound server did not let finish");
        EXPECT_EQ(program.log().contains(leftBehind), signal != 0) << program.log().toStdString();
        EXPECT_EQ(program.log().contains(tornDown), signal == 0) << program.log().toStdString();
        if (recording) {
            const MediaFacts facts = probeMedia(temporary);
            ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
            EXPECT_GT(facts.seconds, 1.0);
        }
    }
}

TEST_F(ProgramTest, TheBookmarkMigrationRunsOncePerInstallationHistory)
{
    const QByteArray bookmark("bookmark");
    const PropertyValue oldForm("\"" + bookmark.toBase64().toStdString() + "\"");
    for (const bool freshInstallation : { true, false }) {
        SetUp();
        if (freshInstallation) {
            database().removeAll();
        } else {
            database().removeObject("Kw_App_runOnce__migrateSandboxBookmark");
        }
        // Only the first launch after an update migrates, and only once.
        for (const PropertyValue &expected :
            { freshInstallation ? oldForm : PropertyValue(bookmark), oldForm }) {
            database().setObject("previousRecording", oldForm);
            ProgramProcess program;
            ASSERT_TRUE(program.waitForLog(QStringLiteral("accessibility value")))
                << program.log().toStdString();
            program.signal(SIGTERM);
            ASSERT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM));
            database().synchronizeFromDisk();
            EXPECT_EQ(database().object("previousRecording"), expected) << freshInstallation;
        }
    }
}

// Another user's copies folder in both temporary places, locked by another process: the program
// starts and answers at once, and nothing in either folder is touched.
TEST_F(ProgramTest, AnotherUsersLockedCopiesFolderNeitherStopsTheProgramNorLosesAnything)
{
    QTemporaryDir base;
    QTemporaryDir temporary;
    const TestSupport::ScopedEnv baseVariable("TAPEWICK_TEMPORARY_BASE", base.path());
    const TestSupport::ScopedEnv temporaryVariable("TMPDIR", temporary.path());
    std::vector<FileDescriptor> locks;
    QStringList theirs;
    for (const QString &place : { base.path(), temporary.path() }) {
        const QString parent = QStringLiteral("%1/Tapewick-%2-copies").arg(place).arg(::getuid());
        const QString directory = parent + QStringLiteral("/0B5E7F6A-1C2D-4E3F-8A9B-0C1D2E3F4A5B");
        ASSERT_TRUE(QDir().mkpath(directory));
        theirs.append(directory + QStringLiteral("/theirs.m4a"));
        ASSERT_TRUE(QFile(theirs.last()).open(QIODevice::WriteOnly));
        ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0777), 0);
        if (::geteuid() == 0) {
            for (const QString &path : { parent, directory, theirs.last() }) {
                ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            }
        }
        locks.emplace_back(::open(QFile::encodeName(parent).constData(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(::flock(locks.back().get(), LOCK_EX), 0);
    }
    QElapsedTimer timer;
    timer.start();
    ProgramProcess program;
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [] { return intent(QStringLiteral("GetRecordingState")).succeeded(); }, std::chrono::seconds(2)))
        << "no answer within 2 s while the folder was locked\n"
        << program.log().toStdString();
    RecordProperty("secondsToAnswer", QString::number(timer.elapsed() / 1000.0).toStdString());
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << program.log().toStdString();
    for (const QString &file : theirs) {
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    }
    for (const QString &file : theirs) {
        const QString parent = QFileInfo(QFileInfo(file).path()).path();
        EXPECT_TRUE(
            program.log().contains(QStringLiteral("Could not use the temporary folder “%1”").arg(parent)))
            << "refused and logged\n"
            << program.log().toStdString();
    }
}

} // namespace
