#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <variant>

// The process's command line as positional inputs and named flags.
namespace CLI {

// A flag given alone is true; one followed by a plain argument holds that text.
using FlagValue = std::variant<bool, QString>;
using Flags = std::map<QString, FlagValue>;

struct Split
{
    QStringList input;
    Flags flags;
};

// "--name value" stores the text under "name"; "--name" last or before another flag stays
// true; a lone "--" ends the options, and it and everything after it are ignored.
Split split(const QStringList &arguments);

// The application's arguments without the program path, taken once.
const QStringList &arguments();
const QStringList &input();
const Flags &flags();
bool hasFlag(const QString &name);

} // namespace CLI
