#pragma once

#include "Command.h"

#include <QString>

#include <chrono>

namespace TestSupport {

// Records from a sound server source (the default one when `source` is empty) into
// a 16-bit stereo 48 kHz WAV file, independently of the code under test.
CommandResult recordSourceToWav(
    const QString &path, std::chrono::milliseconds duration, const QString &source = {});

} // namespace TestSupport
