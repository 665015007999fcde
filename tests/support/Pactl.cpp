#include "Pactl.h"

namespace TestSupport::Pactl {

namespace {

QString firstLine(const CommandResult &result)
{
    return result.succeeded() ? result.output.section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

// `pactl list short …` prints one tab-separated line per object, its name second.
QStringList shortListNames(const QString &kind)
{
    const CommandResult result = run({ QStringLiteral("list"), QStringLiteral("short"), kind });
    QStringList names;
    if (!result.succeeded()) {
        return names;
    }
    for (const QString &line : result.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() > 1) {
            names.append(fields.at(1));
        }
    }
    return names;
}

} // namespace

CommandResult run(const QStringList &arguments)
{
    return runCommand(QStringLiteral("pactl"), arguments);
}

QString defaultSource()
{
    return firstLine(run({ QStringLiteral("get-default-source") }));
}

QString defaultSink()
{
    return firstLine(run({ QStringLiteral("get-default-sink") }));
}

QStringList sourceNames()
{
    return shortListNames(QStringLiteral("sources"));
}

QStringList sinkNames()
{
    return shortListNames(QStringLiteral("sinks"));
}

} // namespace TestSupport::Pactl
