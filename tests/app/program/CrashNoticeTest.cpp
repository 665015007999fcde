#include "Command.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "ProgramProcess.h"
#include "ScopedEnv.h"
#include "XInput.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace std::chrono_literals;

bool windowNamed(const QString &name)
{
    return TestSupport::runCommand(
        QStringLiteral("xdotool"), { QStringLiteral("search"), QStringLiteral("--name"), name })
        .succeeded();
}

class CrashNoticeTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        ProgramProcess::resetSettings();
        QDir(QDir::homePath() + QStringLiteral("/.cache")).removeRecursively();
    }
};

// The crash notice is answered first; the crash-report window follows it instead of opening
// beneath or over it.
TEST_F(CrashNoticeTest, TheCrashReportWindowFollowsTheAnsweredNotice)
{
    // A note as the crash handler leaves it: the signal and the time.
    const QString notes = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/tapewick/crashreports");
    ASSERT_TRUE(QDir().mkpath(notes));
    QFile marker(notes + QStringLiteral("/crashed"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write(
        QByteArray::number(SIGSEGV) + ' ' + QByteArray::number(QDateTime::currentSecsSinceEpoch()) + '\n');
    marker.close();
    // Nowhere to send to, as in a build without an address.
    const TestSupport::ScopedEnv noAddress("TAPEWICK_CRASH_REPORT_DSN", QString());

    ProgramProcess program;
    const QString notice = QStringLiteral("Alert: \"Tapewick crashed the last time it was run.\"");
    const QString reportWindow = QStringLiteral("Crash report window opens, keeping the report");
    ASSERT_TRUE(program.waitForLog(notice)) << program.log().toStdString();
    // While the notice waits for its answer, nothing comes over it.
    TestSupport::processEventsFor(1s);
    EXPECT_FALSE(program.log().contains(reportWindow)) << program.log().toStdString();
    EXPECT_FALSE(windowNamed(QStringLiteral("Tapewick Crashed")));

    // The notice has the keyboard; Return answers "OK".
    TestSupport::xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    ASSERT_TRUE(program.waitForLog(reportWindow)) << program.log().toStdString();
    EXPECT_LT(program.log().indexOf(notice), program.log().indexOf(reportWindow));
    EXPECT_TRUE(
        TestSupport::processEventsUntil([] { return windowNamed(QStringLiteral("Tapewick Crashed")); }, 10s));

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << program.log().toStdString();
}

} // namespace
