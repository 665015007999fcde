#include "kit/foundation/system/CLI.h"
#include "kit/foundation/system/SignalHandler.h"

#include "EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

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

TEST(SignalHandlerTest, AnEmptyListInstallsNothing)
{
    const auto handlers = [] {
        std::vector<void (*)(int)> result;
        for (int signal = 1; signal < NSIG; ++signal) {
            struct sigaction current = {};
            ::sigaction(signal, nullptr, &current);
            result.push_back(current.sa_handler);
        }
        return result;
    };
    const auto before = handlers();
    SignalHandler::install({}, [](int) {});
    EXPECT_EQ(handlers(), before);
}

class SignalChildTest : public ::testing::Test
{
protected:
    void start(const QString &mode)
    {
        m_child.setProgram(QStringLiteral(SIGNAL_CHILD_PATH));
        m_child.setArguments({ mode });
        m_child.start();
        ASSERT_TRUE(m_child.waitForStarted());
        ASSERT_TRUE(waitForOutput("ready\n"));
    }

    bool waitForOutput(const QByteArray &text)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_output.contains(text) && timer.elapsed() < 10000) {
            m_child.waitForReadyRead(100);
            m_output += m_child.readAllStandardOutput();
        }
        return m_output.contains(text);
    }

    void signalChild(int signal) { ASSERT_EQ(::kill(static_cast<pid_t>(m_child.processId()), signal), 0); }

    void TearDown() override
    {
        if (m_child.state() != QProcess::NotRunning) {
            m_child.kill();
            m_child.waitForFinished();
        }
    }

    QProcess m_child;
    QByteArray m_output;
};

TEST_F(SignalChildTest, TerminationRunsTheEarlierHandlerThenBothClosuresAndExitsWithTheSignal)
{
    start(u"order"_s);
    signalChild(SIGTERM);
    ASSERT_TRUE(m_child.waitForFinished(10000));
    m_output += m_child.readAllStandardOutput();
    EXPECT_EQ(m_child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_child.exitCode(), 15);
    EXPECT_EQ(m_output, QByteArray("ready\nearlier 15\nfirst 15\nsecond 15\n"));
}

TEST_F(SignalChildTest, ASecondSignalWhileTheFirstIsHandledEndsTheProcess)
{
    start(u"stuck"_s);
    signalChild(SIGTERM);
    ASSERT_TRUE(waitForOutput("handling 15\n"));
    QElapsedTimer timer;
    timer.start();
    signalChild(SIGTERM);
    ASSERT_TRUE(m_child.waitForFinished(10000));
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(m_child.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(m_child.exitCode(), SIGTERM);
    EXPECT_FALSE(m_child.readAllStandardOutput().contains("survived"));
}

TEST(CommandLineTest, SplitsInputsFromFlagsAndTheirValues)
{
    struct Case
    {
        QStringList arguments;
        QStringList input;
        CLI::Flags flags;
    };
    const Case cases[] = {
        // A flag takes the following plain argument; a lone "--" ends everything.
        { { "a", "--x", "1", "--y", "--", "b" }, { "a" }, { { "x", u"1"_s }, { "y", true } } },
        { { "--y", "b", "c" }, { "c" }, { { "y", u"b"_s } } },
        { { "--", "a" }, {}, {} },
        // Single hyphens are ordinary; a repeated flag starts over.
        { { "-v", "--name", "first", "--name", "--last", "-x" }, { "-v" },
            { { "name", true }, { "last", u"-x"_s } } },
    };
    for (const Case &c : cases) {
        const CLI::Split split = CLI::split(c.arguments);
        EXPECT_EQ(split.input, c.input) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(split.flags, c.flags) << c.arguments.join(u' ').toStdString();
    }
}

TEST(CommandLineTest, TheProcessArgumentsLeaveOutTheProgram)
{
    const QStringList all = QCoreApplication::arguments();
    EXPECT_EQ(CLI::arguments(), all.mid(1));
    EXPECT_EQ(CLI::input(), CLI::split(all.mid(1)).input);
}

} // namespace
