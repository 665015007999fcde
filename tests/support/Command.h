#pragma once

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
    QString describe() const;
};

// Runs a program to completion (or kills it at `timeout`) and collects its output.
CommandResult runCommand(const QString &program, const QStringList &arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace TestSupport
