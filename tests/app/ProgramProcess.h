#pragma once

#include "platform/userdefaults/UserDefaults.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <ostream>

#include <sys/resource.h>

// How the program's process ended, or that it had not yet.
struct ProgramEnd
{
    enum class Kind { exited, killed, stillRunning };
    Kind kind = Kind::stillRunning;
    // The exit status, or the number of the signal that killed it.
    int number = 0;

    static ProgramEnd exitedWith(int status) { return { Kind::exited, status }; }
    static ProgramEnd killedBy(int signal) { return { Kind::killed, signal }; }
    static ProgramEnd stillRunning() { return {}; }

    friend bool operator==(const ProgramEnd &, const ProgramEnd &) = default;
    friend void PrintTo(const ProgramEnd &end, std::ostream *out)
    {
        if (end.kind == Kind::stillRunning) {
            *out << "still running";
            return;
        }
        *out << (end.kind == Kind::exited ? "exited with status " : "killed by signal ") << end.number;
    }
};

// The program under test in a process of its own, with the test's private home, logging what it
// does.
class ProgramProcess
{
public:
    // Settings of a user who has run it before, so that no welcome holds it up.
    static void resetSettings()
    {
        UserDefaults &database = *UserDefaults::standard();
        database.removeAll();
        database.setObject("Kw_launchCount", PropertyValue(qint64(1)));
        database.setObject("Kw_App_runOnce__migrateSandboxBookmark", PropertyValue(true));
    }

    explicit ProgramProcess(const QString &preload = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), preload);
        m_process.setProcessEnvironment(environment);
        // A crash a test causes leaves no core file behind.
        m_process.setChildProcessModifier([] {
            const rlimit none { 0, 0 };
            ::setrlimit(RLIMIT_CORE, &none);
        });
        m_process.start(QStringLiteral(TAPEWICK_PATH), { QStringLiteral("--verbose") });
    }
    // A terminate signal ends it as a user's would, so a recording it runs is finished and leaves
    // nothing behind. An assertion that stopped it fails the test, also one that looked only at what
    // the program had done by then.
    ~ProgramProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(20000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
        static const QRegularExpression assertion(
            QStringLiteral("^ASSERT(:| failure in) .*$"), QRegularExpression::MultilineOption);
        const QRegularExpressionMatch failed = assertion.match(log());
        EXPECT_FALSE(failed.hasMatch()) << failed.captured().toStdString();
    }

    qint64 pid() const { return m_process.processId(); }
    void signal(int number) { ::kill(static_cast<pid_t>(pid()), number); }

    QString log()
    {
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }
    // Whether `text` shows up `count` times in the log within `seconds`.
    bool waitForLog(const QString &text, int seconds = 10, qsizetype count = 1)
    {
        return waitUntil([&] { return log().count(text) >= count; }, seconds);
    }
    // The first match of `pattern` in the log within `seconds`, or none. The log comes in pieces,
    // so a pattern meant for one whole line ends where the line does.
    std::optional<QRegularExpressionMatch> waitForMatch(const QRegularExpression &pattern, int seconds = 10)
    {
        QRegularExpressionMatch match;
        return waitUntil([&] { return (match = pattern.match(log())).hasMatch(); }, seconds)
            ? std::optional(match)
            : std::nullopt;
    }
    ProgramEnd waitForExit(int seconds = 30)
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(seconds * 1000)) {
            return ProgramEnd::stillRunning();
        }
        // After a crash QProcess keeps the signal's number as the exit code.
        return m_process.exitStatus() == QProcess::NormalExit ? ProgramEnd::exitedWith(m_process.exitCode())
                                                              : ProgramEnd::killedBy(m_process.exitCode());
    }

private:
    bool waitUntil(const std::function<bool()> &done, int seconds)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < seconds * 1000) {
            m_process.waitForReadyRead(50);
        }
        return done();
    }

    QProcess m_process;
    QString m_log;
};
