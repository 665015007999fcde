#include "Command.h"

#include <QProcess>

namespace TestSupport {

QString CommandResult::describe() const
{
    if (!started) {
        return QStringLiteral("could not be started");
    }
    if (!finished) {
        return QStringLiteral("timed out");
    }
    return QStringLiteral("exit code %1, stderr: %2").arg(exitCode).arg(errorOutput.trimmed());
}

CommandResult runCommand(
    const QString &program, const QStringList &arguments, std::chrono::milliseconds timeout)
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
