#pragma once

#include "Command.h"

#include <QString>
#include <QStringList>

#include <vector>

// The sound server as the command-line client sees it, to check what code under
// test did to it independently of that code.
namespace TestSupport::Pactl {

CommandResult run(const QStringList &arguments);

// Empty when the server cannot be reached.
QString defaultSource();

// A capture stream of this process as the server lists it. The test desktop is
// shared by tests running side by side, so tests look only at their own streams.
struct CaptureStream
{
    int index = -1;
    QString source; // the name of the source it captures from
};

std::vector<CaptureStream> captureStreamsOfThisProcess();

} // namespace TestSupport::Pactl
