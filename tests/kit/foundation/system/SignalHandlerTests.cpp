#include "kit/foundation/system/CLI.h"
#include "kit/foundation/system/SignalHandler.h"

#include "EventLoop.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <future>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Calls = std::vector<std::pair<char, int>>;

TEST(SignalHandlerTest, EveryClosureRunsInInstallationOrderWithTheSignalNumber)
{
    auto calls = std::make_shared<Calls>();
    SignalHandler::install({ { SIGINT } }, [calls](int signal) { calls->emplace_back('a', signal); });
    SignalHandler::install({ { SIGINT } }, [calls](int signal) { calls->emplace_back('b', signal); });

    ASSERT_EQ(::raise(SIGINT), 0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return calls->size() >= 2; }));
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(*calls, (Calls { { 'a', SIGINT }, { 'b', SIGINT } }));

    // Handled signals do not stay blocked: a later one runs the closures again.
    ASSERT_EQ(::raise(SIGINT), 0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return calls->size() >= 4; }));
    EXPECT_EQ(calls->at(3), std::make_pair('b', SIGINT));
}

TEST(SignalHandlerTest, ASignalWithoutClosuresDispatchesNothing)
{
    auto calls = std::make_shared<Calls>();
    SignalHandler::install({ { SIGUSR1 } }, [calls](int signal) { calls->emplace_back('u', signal); });
    SignalHandler::dispatch(SIGUSR2);
    SignalHandler::dispatch(0);
    EXPECT_TRUE(calls->empty());
    SignalHandler::dispatch(SIGUSR1);
    EXPECT_EQ(*calls, (Calls { { 'u', SIGUSR1 } }));
}

// Writes "<what> <signal>" to standard error; also called from inside a signal handler.
void say(const char *what, int signal)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%s %d\n", what, signal);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, static_cast<size_t>(length));
}

// Each case runs in a fresh process of its own, so its handlers and signals stay there.
// The action in place before is replaced, not kept: it would have to end the process itself,
// which is the closures' decision now.
TEST(SignalHandlerDeathTest, TerminationRunsBothClosuresInPlaceOfTheEarlierActionAndExitsWithTheSignal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto terminated = [] {
        struct sigaction action = {};
        action.sa_handler = [](int signal) { say("earlier", signal); };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        SignalHandler::install(
            SignalHandler::Signal::exitSignals(), [](int signal) { say("first", signal); });
        SignalHandler::install({ { SIGTERM } }, [](int signal) {
            say("second", signal);
            QCoreApplication::exit(signal);
        });
        ::kill(::getpid(), SIGTERM);
        std::exit(QCoreApplication::exec());
    };
    EXPECT_EXIT(terminated(), ::testing::ExitedWithCode(SIGTERM), "^first 15\nsecond 15\n$");
}

// A SIGABRT the process raises at itself is a crash, not a request: no closure runs, and it dies
// of the signal (abort() alone would also end it, on its own second try).
TEST(SignalHandlerDeathTest, AnAbortSignalOfItsOwnRunsNoClosureAndDiesOfIt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto aborted = [] {
        SignalHandler::install(
            SignalHandler::Signal::exitSignals(), [](int signal) { say("closure", signal); });
        const rlimit noCore { 0, 0 };
        ::setrlimit(RLIMIT_CORE, &noCore);
        // Were the signal handed on, the closure would run on this loop's next turn.
        QTimer::singleShot(0, [] { ::raise(SIGABRT); });
        QTimer::singleShot(2000, [] { std::_Exit(99); });
        std::_Exit(QCoreApplication::exec());
    };
    EXPECT_EXIT(aborted(), ::testing::KilledBySignal(SIGABRT), "^$");
}

// A repeat, and another signal, that come while the closures still run for the first arrival are
// handed to the closures too (nested, as these turn the event loop); the process lives on.
TEST(SignalHandlerDeathTest, SignalsWhileTheFirstIsHandledRunTheClosuresAgainAndKillNothing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto repeated = [] {
        static int depth = 0;
        SignalHandler::install({ { SIGTERM }, { SIGHUP } }, [](int signal) {
            say("handling", signal);
            if (++depth == 1) {
                ::kill(::getpid(), SIGTERM);
                TestSupport::processEventsFor(std::chrono::milliseconds(300));
                ::kill(::getpid(), SIGHUP);
                TestSupport::processEventsFor(std::chrono::milliseconds(300));
                say("first done", signal);
                std::_Exit(3);
            }
        });
        ::kill(::getpid(), SIGTERM);
        QCoreApplication::exec();
        std::_Exit(0);
    };
    EXPECT_EXIT(
        repeated(), ::testing::ExitedWithCode(3), "handling 15\nhandling 15\nhandling 1\nfirst done 15\n$");
}

// Whether a process's or thread's status (/proc/.../status) tells of no blocked signal.
const char *blockedSignals(const QByteArray &status)
{
    const qsizetype at = status.indexOf("SigBlk:");
    if (at < 0) {
        return "unknown";
    }
    const QByteArray mask = status.mid(at + 7).split('\n').value(0).trimmed();
    return mask.toULongLong(nullptr, 16) == 0 ? "none" : "some";
}

// Held from the start: signals sent before any closure is installed neither kill the process nor
// go to a thread started meanwhile; the installation hands them to the closures (in an order of
// the kernel's), and a process started after it blocks none of them.
TEST(SignalHandlerDeathTest, SignalsHeldUntilInstalledWaitForTheirClosuresAndNoChildInheritsTheHold)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto held = [] {
        SignalHandler::holdUntilInstalled(SignalHandler::Signal::exitSignals());
        std::promise<void> done;
        std::thread meanwhile([ending = done.get_future()] { ending.wait(); });
        ::kill(::getpid(), SIGHUP);
        ::kill(::getpid(), SIGTERM);
        // Would already be dead of the hang-up if the thread took it.
        say("sent", 0);
        SignalHandler::install(SignalHandler::Signal::exitSignals(), [](int signal) {
            say("closure", signal);
            if (signal == SIGTERM) {
                QCoreApplication::exit(signal);
            }
        });
        QProcess child;
        child.start(u"cat"_s, { u"/proc/self/status"_s });
        child.waitForFinished();
        say(blockedSignals(child.readAllStandardOutput()), 0);
        QFile thread(u"/proc/self/task/%1/status"_s.arg(::gettid()));
        say(thread.open(QIODevice::ReadOnly) ? blockedSignals(thread.readAll()) : "unknown", 0);
        const int status = QCoreApplication::exec();
        done.set_value();
        meanwhile.join();
        std::exit(status);
    };
    EXPECT_EXIT(held(), ::testing::ExitedWithCode(SIGTERM),
        "^sent 0\nnone 0\nnone 0\nclosure (1\nclosure 15|15\nclosure 1)\n$");
}

TEST(CommandLineTest, SplitsInputsFromFlagsAndTheirValuesAndLeavesOutTheProgram)
{
    const std::tuple<QStringList, QStringList, CLI::Flags> cases[] = {
        // A flag takes the following plain argument; a lone "--" ends everything.
        { { "a", "--x", "1", "--y", "--", "b" }, { "a" }, { { "x", u"1"_s }, { "y", true } } },
        { { "--y", "b", "c" }, { "c" }, { { "y", u"b"_s } } },
        { { "--", "a" }, {}, {} },
        // Single hyphens are ordinary; a repeated flag starts over.
        { { "-v", "--name", "first", "--name", "--last", "-x" }, { "-v" },
            { { "name", true }, { "last", u"-x"_s } } },
    };
    for (const auto &[arguments, input, flags] : cases) {
        const CLI::Split split = CLI::split(arguments);
        EXPECT_EQ(split.input, input) << arguments.join(u' ').toStdString();
        EXPECT_EQ(split.flags, flags) << arguments.join(u' ').toStdString();
    }

    const QStringList all = QCoreApplication::arguments();
    EXPECT_EQ(CLI::arguments(), all.mid(1));
    EXPECT_EQ(CLI::input(), CLI::split(all.mid(1)).input);
}

} // namespace
