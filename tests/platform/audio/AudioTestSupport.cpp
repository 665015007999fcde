#include "AudioTestSupport.h"

#include "EventLoop.h"

#include "Pactl.h"
#include "SignalAnalysis.h"
#include "TestDesktop.h"

#include <cmath>
#include <numbers>

namespace AudioTest {

std::optional<QString> pactl(const QStringList &arguments)
{
    const TestSupport::CommandResult result = TestSupport::Pactl::run(arguments);
    return result.succeeded() ? std::optional(result.output.trimmed()) : std::nullopt;
}

double toneRmsDb()
{
    return 20 * std::log10(TestSupport::TestDesktop::toneAmplitude() / std::numbers::sqrt2);
}

bool recordUntil(AudioFileRecorder &recorder, double seconds)
{
    return TestSupport::recordUntil([&] { return recorder.currentTime(); }, seconds);
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
