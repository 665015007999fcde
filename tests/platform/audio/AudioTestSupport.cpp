#include "AudioTestSupport.h"

#include "EventLoop.h"

#include <QProcess>

namespace AudioTest {

std::optional<QString> pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool recordUntil(AudioFileRecorder &recorder, double seconds)
{
    return TestSupport::processEventsUntil([&] { return recorder.currentTime() >= seconds; },
        std::chrono::milliseconds(int(seconds * 1000) + 5000));
}

void EndWatcher::attach(AudioFileRecorder &recorder)
{
    recorder.setFinishedCallback([this](bool successfully) {
        ++calls;
        finished = successfully;
    });
    recorder.setEncodeErrorCallback([this](const AudioError &reported) {
        ++calls;
        error = reported;
    });
}

bool EndWatcher::waitForEnd(std::chrono::milliseconds timeout)
{
    return TestSupport::processEventsUntil([this] { return calls > 0; }, timeout);
}

} // namespace AudioTest
