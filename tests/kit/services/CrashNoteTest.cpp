#include "kit/foundation/system/SignalHandler.h"
#include "kit/services/CrashReporting.h"
#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReportClient.h"

#include <QCoreApplication>
#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Writes "<what> <signal>" to standard error; also called from inside a signal handler.
void say(const char *what, int signal)
{
    char text[40];
    const int length = std::snprintf(text, sizeof text, "%s %d\n", what, signal);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, static_cast<size_t>(length));
}

// Where crash reporting started with its defaults leaves its marker in the test's home, which
// the death tests' children share.
QString markerPath()
{
    return CrashReportClient(CrashReportOptions {}).markerPath();
}

// The program's order: crash reporting first, the exit signals' closures later. A child that
// still runs after a few seconds ends with status 99, so a hang fails the case.
[[noreturn]] void startAndThen(void (*cause)())
{
    const rlimit noCore { 0, 0 };
    ::setrlimit(RLIMIT_CORE, &noCore);
    qputenv("TAPEWICK_CRASH_REPORT_DSN", QByteArray());
    startCrashReporting();
    SignalHandler::install(SignalHandler::Signal::exitSignals(), [](int signal) {
        say("closures", signal);
        QCoreApplication::exit(signal);
    });
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(5));
        say("still running", 0);
        std::_Exit(99);
    }).detach();
    cause();
    std::_Exit(QCoreApplication::exec());
}

void abortInside()
{
    std::abort();
}

void abortFromAnotherProcess()
{
    if (::fork() == 0) {
        ::kill(::getppid(), SIGABRT);
        ::_exit(0);
    }
}

void segfaultSignal()
{
    ::raise(SIGSEGV);
}

// An abort() of the program's own dies of it with a note for the next start, however the exit
// signals' closures took SIGABRT over; the same signal from elsewhere is a request to end.
TEST(CrashNoteDeathTest, AnAbortInsideDiesNotedAndOneFromAnotherProcessEndsThroughTheClosures)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using testing::HasSubstr;
    using testing::Not;
    struct Case
    {
        const char *name;
        void (*cause)();
        bool killed;
        int signal;
        bool noted;
    };
    const Case cases[] = {
        { "abort inside", abortInside, true, SIGABRT, true },
        { "abort from another process", abortFromAnotherProcess, false, SIGABRT, false },
        { "segmentation fault signal", segfaultSignal, true, SIGSEGV, true },
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        QFile::remove(markerPath());
        if (each.killed) {
            EXPECT_EXIT(
                startAndThen(each.cause), testing::KilledBySignal(each.signal), Not(HasSubstr("closures")));
        } else {
            EXPECT_EXIT(startAndThen(each.cause), testing::ExitedWithCode(each.signal),
                HasSubstr("closures " + std::to_string(each.signal)));
        }
        // Not ASSERT: a death test's child runs the cases before its own again, without their
        // deaths, and must go on to its own.
        const std::optional<CrashMarker::Record> record = CrashMarker::take(markerPath());
        EXPECT_EQ(record.has_value(), each.noted);
        if (record) {
            EXPECT_EQ(record->signalNumber, each.signal);
        }
    }
}

} // namespace
