#include "SourceRecording.h"

#include <algorithm>

namespace TestSupport {

CommandResult recordSourceToWav(
    const QString &path, std::chrono::milliseconds duration, const QString &source)
{
    // One buffer per 10 ms of capture. gst-launch joins its arguments and parses them
    // again, hence the quoted path.
    constexpr int bufferMs = 10;
    const auto buffers = std::max<long long>(1, duration.count() / bufferMs);
    QStringList arguments { QStringLiteral("-q"), QStringLiteral("pulsesrc"),
        QStringLiteral("latency-time=%1").arg(bufferMs * 1000),
        QStringLiteral("num-buffers=%1").arg(buffers) };
    if (!source.isEmpty()) {
        arguments << QStringLiteral("device=%1").arg(source);
    }
    arguments << QStringLiteral("!") << QStringLiteral("audio/x-raw,format=S16LE,rate=48000,channels=2")
              << QStringLiteral("!") << QStringLiteral("wavenc") << QStringLiteral("!")
              << QStringLiteral("filesink") << QStringLiteral("location=\"%1\"").arg(path);
    return runCommand(QStringLiteral("gst-launch-1.0"), arguments, duration + std::chrono::seconds(20));
}

} // namespace TestSupport
