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

::testing::AssertionResult holdsTheTone(const std::vector<float> &channel, int sampleRate)
{
    const double expected = TestSupport::TestDesktop::toneAmplitude();
    const double frequency = TestSupport::TestDesktop::toneFrequency();
    const double amplitude = TestSupport::SignalAnalysis::toneAmplitude(channel, sampleRate, frequency);
    // A tenth of a second is plenty to find the pitch and keeps the search quick.
    const std::size_t window = std::min(channel.size(), std::size_t(sampleRate / 10));
    const double dominant = TestSupport::SignalAnalysis::dominantFrequency(
        std::span<const float>(channel.data(), window), sampleRate);
    if (std::abs(amplitude - expected) > 0.2 * expected || std::abs(dominant - frequency) > 15) {
        return ::testing::AssertionFailure()
            << "tone amplitude " << amplitude << " (expected " << expected << "), strongest frequency "
            << dominant << " Hz (expected " << frequency << ")";
    }
    return ::testing::AssertionSuccess();
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
