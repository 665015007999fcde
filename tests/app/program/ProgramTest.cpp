#include "DesktopTest.h"
#include "XInput.h"

#include "app/SettingsKeys.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "platform/audio/probe/MediaProbe.h"
#include "platform/userdefaults/UserDefaults.h"
#include "preferences/Defaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr unsigned int keyDown = 0xff54;
constexpr unsigned int keyReturn = 0xff0d;

// The program under test, started with the test's private home and its log collected.
class Program
{
public:
    explicit Program(const QStringList &preload = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!preload.isEmpty()) {
            environment.insert(QStringLiteral("LD_PRELOAD"), preload.join(u':'));
        }
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(TAPEWICK_PATH), { QStringLiteral("--verbose") });
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    qint64 pid() const { return m_process.processId(); }
    void signal(int number) { ::kill(static_cast<pid_t>(pid()), number); }

    // The log so far; waits up to `seconds` for `text` to show up in it.
    bool waitForLog(const QString &text, int seconds = 10)
    {
        QElapsedTimer timer;
        timer.start();
        while (!log().contains(text) && timer.elapsed() < seconds * 1000) {
            m_process.waitForReadyRead(100);
        }
        return log().contains(text);
    }
    QString log()
    {
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }

    // The exit status, or -1 when it is still running after `seconds` or died of a signal.
    int waitForExit(int seconds = 30)
    {
        if (!m_process.waitForFinished(seconds * 1000) || m_process.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return m_process.exitCode();
    }
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }

    std::optional<QRect> waitForTrayIcon()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            if (const std::optional<QRect> icon = XInput::embeddedTrayIcon(pid())) {
                return icon;
            }
            QThread::msleep(20);
        }
        return std::nullopt;
    }

    // Chooses "Record" (or "Stop"), the menu's first item, as a user would.
    void chooseFirstMenuItem()
    {
        const std::optional<QRect> icon = waitForTrayIcon();
        ASSERT_TRUE(icon);
        XInput::click(icon->center());
        ASSERT_TRUE(waitForMenu());
        XInput::tapKey(keyDown);
        XInput::tapKey(keyReturn);
    }

    QString recordingFile()
    {
        const QRegularExpression pattern(QStringLiteral("Recording into \"([^\"]+)\""));
        const QRegularExpressionMatch match = pattern.match(log());
        return match.hasMatch() ? match.captured(1) : QString();
    }

private:
    bool waitForMenu()
    {
        const int opened = log().count(QStringLiteral("Menu opens"));
        QElapsedTimer timer;
        timer.start();
        while (log().count(QStringLiteral("Menu opens")) == opened && timer.elapsed() < 5000) {
            m_process.waitForReadyRead(50);
        }
        // It is built before it is shown; keys reach it once it has grabbed the keyboard.
        QThread::msleep(200);
        return log().count(QStringLiteral("Menu opens")) > opened;
    }

    QProcess m_process;
    QString m_log;
};

class ProgramTest : public TestSupport::DesktopTest
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        for (const char *name :
            { "HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME" }) {
            qunsetenv(name);
        }
        qputenv("HOME", home.path().toLocal8Bit());
    }

    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        database().removeAll();
        QDir(QDir::homePath() + QStringLiteral("/.cache")).removeRecursively();
        // Not the first launch: no welcome notices unless a test wants them.
        database().setObject("Kw_launchCount", PropertyValue(qint64(1)));
        database().setObject("Kw_App_runOnce__migrateSandboxBookmark", PropertyValue(true));
    }

    static UserDefaults &database() { return *UserDefaults::standard(); }

    void setOutputDirectory(const QString &path)
    {
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path))));
    }

    // Starts a recording and lets it run for `seconds`; answers its temporary file.
    QString record(Program &program, int seconds)
    {
        program.chooseFirstMenuItem();
        EXPECT_TRUE(program.waitForLog(QStringLiteral("accessibility value \"Recording\"")))
            << program.log().toStdString();
        QThread::sleep(seconds);
        return program.recordingFile();
    }
};

TEST_F(ProgramTest, TheStatusItemIsInTheTrayWithTheChosenLook)
{
    for (const bool dim : { false, true }) {
        Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), dim);
        Program program;
        ASSERT_TRUE(program.waitForTrayIcon()) << program.log().toStdString();
        EXPECT_TRUE(program.waitForLog(QStringLiteral("accessibility value \"Stopped\"")));
        EXPECT_TRUE(program.waitForLog(QStringLiteral("image microphone")));
        EXPECT_TRUE(program.waitForLog(QStringLiteral("appears disabled %1").arg(dim ? "true" : "false")));
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(), SIGTERM);
    }
}

TEST_F(ProgramTest, TheBookmarkMigrationRunsOncePerInstallationHistory)
{
    const QByteArray bookmark("bookmark");
    const PropertyValue oldForm("\"" + bookmark.toBase64().toStdString() + "\"");
    struct Launch
    {
        const char *name;
        bool freshInstallation;
        PropertyValue expected;
    };
    for (const Launch &launch : { Launch { "a fresh installation never migrates", true, oldForm },
             Launch { "the first launch after an update migrates", false, PropertyValue(bookmark) } }) {
        SetUp();
        if (launch.freshInstallation) {
            database().removeAll();
        } else {
            database().removeObject("Kw_App_runOnce__migrateSandboxBookmark");
        }
        for (const PropertyValue &expected : { launch.expected, oldForm }) {
            database().setObject("previousRecording", oldForm);
            Program program;
            ASSERT_TRUE(program.waitForLog(QStringLiteral("accessibility value"))) << program.log().toStdString();
            program.signal(SIGTERM);
            ASSERT_EQ(program.waitForExit(), SIGTERM);
            database().synchronizeFromDisk();
            // The second launch finds the flag spent and leaves the old form alone.
            EXPECT_EQ(database().object("previousRecording"), expected) << launch.name;
        }
    }
}

TEST_F(ProgramTest, ASecondInstanceSaysSoAndLeavesTheFirstRunning)
{
    Program first;
    ASSERT_TRUE(first.waitForTrayIcon());
    QProcess second;
    second.start(QStringLiteral(TAPEWICK_PATH), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardError(), QByteArray("Tapewick is already running.\n"));
    EXPECT_EQ(first.waitForExit(1), -1) << "the first instance must keep running";
    first.signal(SIGTERM);
    EXPECT_EQ(first.waitForExit(), SIGTERM);
}

TEST_F(ProgramTest, ExitSignalsWhileStoppedEndAtOnceWithTheirNumber)
{
    for (const int signal : { SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGALRM, SIGTERM }) {
        Program program;
        ASSERT_TRUE(program.waitForTrayIcon());
        QElapsedTimer timer;
        timer.start();
        program.signal(signal);
        EXPECT_EQ(program.waitForExit(), signal) << signal;
        EXPECT_LT(timer.elapsed(), 3000) << signal;
    }
    // An abort sent by another process is no crash.
    Program next;
    EXPECT_TRUE(next.waitForTrayIcon()) << "a crash notice holds up the launch";
    EXPECT_FALSE(next.log().contains(QStringLiteral("crashed the last time")));
}

TEST_F(ProgramTest, AnAbortInsideIsACrashNoticedAtTheNextLaunch)
{
    {
        Program program({ QStringLiteral(ABORT_PRELOAD_PATH) });
        ASSERT_TRUE(program.waitForTrayIcon());
        program.signal(SIGUSR1);
        EXPECT_EQ(program.waitForExit(), -1);
        EXPECT_TRUE(program.crashed());
    }
    Program next;
    EXPECT_TRUE(next.waitForLog(QStringLiteral("Alert: \"Tapewick crashed the last time it was run.\"")))
        << next.log().toStdString();
}

TEST_F(ProgramTest, TerminatingARecordingLeavesItCompleteSavedOrForRecovery)
{
    for (const bool withOutputDirectory : { true, false }) {
        SetUp();
        QTemporaryDir output;
        if (withOutputDirectory) {
            setOutputDirectory(output.path());
            Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
        }
        Program program;
        const QString temporary = record(program, 2);
        ASSERT_FALSE(temporary.isEmpty()) << program.log().toStdString();
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(), SIGTERM) << program.log().toStdString();

        // Saved under its own name; without a directory to save into, no panel holds up the end.
        const QStringList saved = QDir(output.path()).entryList(QDir::Files);
        ASSERT_EQ(
            saved, withOutputDirectory ? QStringList { QFileInfo(temporary).fileName() } : QStringList());
        const MediaFacts facts = probeMedia(withOutputDirectory ? output.filePath(saved.first()) : temporary);
        ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
        EXPECT_NEAR(facts.seconds, 2.0, 0.6);
    }
}

TEST_F(ProgramTest, AKilledRecordingPlaysToWithinASecondOfTheKill)
{
    Program program;
    const QString temporary = record(program, 3);
    ASSERT_FALSE(temporary.isEmpty()) << program.log().toStdString();
    program.signal(SIGKILL);
    program.waitForExit();
    const MediaFacts facts = probeMedia(temporary);
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GT(facts.seconds, 2.0);
    EXPECT_LT(facts.seconds, 3.6);
}

} // namespace
