#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>

namespace TestSupport {

struct CommandResult
{
    bool started = false;
    bool finished = false; // false when it was killed at the timeout
    int exitCode = -1;
    QString output;
    QString errorOutput;

    bool succeeded() const { return started && finished && exitCode == 0; }
    // One line for test failure messages.
    QString describe() const
    {
        if (!started) {
            return QStringLiteral("could not be started");
        }
        if (!finished) {
            return QStringLiteral("timed out");
        }
        return QStringLiteral("exit code %1, stderr: %2").arg(exitCode).arg(errorOutput.trimmed());
    }
};

// Runs a program to completion (or kills it at `timeout`) and collects its output.
inline CommandResult runCommand(const QString &program, const QStringList &arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    CommandResult result;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    result.started = process.waitForStarted();
    if (!result.started) {
        result.errorOutput = process.errorString();
        return result;
    }
    result.finished = process.waitForFinished(static_cast<int>(timeout.count()));
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errorOutput += QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace TestSupport
