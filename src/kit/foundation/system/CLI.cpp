#include "kit/foundation/system/CLI.h"

#include <QCoreApplication>

#include <optional>

namespace CLI {

Split split(const QStringList &arguments)
{
    static const QString endOfOptions = QStringLiteral("--");
    Split result;
    std::optional<QString> pendingKey;
    for (const QString &argument : arguments) {
        if (argument == endOfOptions) {
            break;
        }
        if (argument.startsWith(endOfOptions)) {
            const QString key = argument.mid(2);
            result.flags[key] = true;
            pendingKey = key;
        } else if (pendingKey) {
            result.flags[*pendingKey] = argument;
            pendingKey.reset();
        } else {
            result.input.append(argument);
        }
    }
    return result;
}

const QStringList &arguments()
{
    static const QStringList value = QCoreApplication::arguments().mid(1);
    return value;
}

namespace {

const Split &commandLine()
{
    static const Split value = split(arguments());
    return value;
}

} // namespace

const QStringList &input()
{
    return commandLine().input;
}

const Flags &flags()
{
    return commandLine().flags;
}

bool hasFlag(const QString &name)
{
    return flags().contains(name);
}

} // namespace CLI
