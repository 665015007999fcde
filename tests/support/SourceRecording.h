#pragma once

#include "Command.h"

#include <QString>

#include <algorithm>
#include <chrono>

namespace TestSupport {

// Records from a sound server source (the default one when `source` is empty) into a 16-bit
// stereo 48 kHz WAV file, independently of the code under test.
inline CommandResult recordSourceToWav(
    const QString &path, std::chrono::milliseconds duration, const QString &source = {})
{
    // One buffer per 10 ms of capture. gst-launch joins its arguments and parses them again,
    // hence the quoted path.
    QStringList arguments { "-q", "pulsesrc", "latency-time=10000",
        QStringLiteral("num-buffers=%1").arg(std::max<long long>(1, duration.count() / 10)) };
    if (!source.isEmpty()) {
        arguments << QStringLiteral("device=%1").arg(source);
    }
    arguments << "!"
              << "audio/x-raw,format=S16LE,rate=48000,channels=2"
              << "!"
              << "wavenc"
              << "!"
              << "filesink" << QStringLiteral("location=\"%1\"").arg(path);
    return runCommand(QStringLiteral("gst-launch-1.0"), arguments, duration + std::chrono::seconds(20));
}

} // namespace TestSupport
