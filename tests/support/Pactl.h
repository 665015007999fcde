#pragma once

#include "Command.h"

#include <QString>
#include <QStringList>

// The sound server as the command-line client sees it, to check what code under
// test did to it independently of that code.
namespace TestSupport::Pactl {

CommandResult run(const QStringList &arguments);

// Empty when the server cannot be reached.
QString defaultSource();
QString defaultSink();
QStringList sourceNames();
QStringList sinkNames();

} // namespace TestSupport::Pactl
