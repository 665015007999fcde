#include "DesktopTest.h"
#include "Pactl.h"
#include "PulseModule.h"
#include "SignalAnalysis.h"
#include "SourceRecording.h"
#include "TestDesktop.h"
#include "WavFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>

using namespace std::chrono_literals;
using namespace TestSupport;

namespace {

// The tone's amplitude in most 100 ms stretches: one scheduling hiccup on a busy
// machine must not fail the test, a tone that is off or distorted must.
double medianToneAmplitude(const std::vector<float> &samples, int sampleRate, double frequency)
{
    const std::size_t window = std::size_t(sampleRate / 10);
    std::vector<double> amplitudes;
    for (std::size_t at = 0; at + window <= samples.size(); at += window) {
        amplitudes.push_back(
            SignalAnalysis::toneAmplitude(std::span(samples).subspan(at, window), sampleRate, frequency));
    }
    if (amplitudes.empty()) {
        return 0.0;
    }
    std::nth_element(amplitudes.begin(), amplitudes.begin() + amplitudes.size() / 2, amplitudes.end());
    return amplitudes[amplitudes.size() / 2];
}

class SoundServerTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
    }

    // Records `source` (default when empty) and returns the file's samples.
    std::optional<WavFile> record(std::chrono::milliseconds duration, const QString &source = {})
    {
        const QString path = m_dir.filePath(QStringLiteral("capture-%1.wav").arg(m_captures++));
        const CommandResult result = recordSourceToWav(path, duration, source);
        EXPECT_TRUE(result.succeeded()) << result.describe().toStdString();
        QString error;
        std::optional<WavFile> wav = WavFile::read(path, &error);
        EXPECT_TRUE(wav) << error.toStdString();
        return wav;
    }

    void expectTone(const WavFile &wav)
    {
        const double amplitude = TestDesktop::toneAmplitude();
        const double frequency = TestDesktop::toneFrequency();
        ASSERT_GT(amplitude, 0.0);
        ASSERT_GT(frequency, 0.0);
        for (int c = 0; c < wav.channels; ++c) {
            const std::vector<float> samples = wav.channel(c);
            SCOPED_TRACE(c);
            // A steady sine's RMS is its amplitude over √2; gaps or noise move it off.
            EXPECT_NEAR(SignalAnalysis::rms(samples), amplitude / std::sqrt(2.0), 0.1 * amplitude);
            EXPECT_NEAR(medianToneAmplitude(samples, wav.sampleRate, frequency), amplitude, 0.1 * amplitude);
            EXPECT_NEAR(SignalAnalysis::dominantFrequency(samples, wav.sampleRate), frequency, 2.0);
        }
    }

    QTemporaryDir m_dir;
    int m_captures = 0;
};

TEST_F(SoundServerTest, ToneSourceIsTheDefaultInputAndNullSinkTheDefaultOutput)
{
    EXPECT_TRUE(Pactl::sourceNames().contains(TestDesktop::toneSource()))
        << Pactl::sourceNames().join(' ').toStdString();
    EXPECT_EQ(Pactl::defaultSource(), TestDesktop::toneSource());
    EXPECT_TRUE(Pactl::sinkNames().contains(TestDesktop::outputSink()));
    EXPECT_EQ(Pactl::defaultSink(), TestDesktop::outputSink());
}

TEST_F(SoundServerTest, OneSecondFromTheDefaultSourceHoldsTheTone)
{
    const std::optional<WavFile> wav = record(1s);
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->sampleRate, 48000);
    ASSERT_EQ(wav->channels, 2);
    EXPECT_NEAR(wav->seconds(), 1.0, 0.05);
    expectTone(*wav);
}

// Shows the level check tells silence from the tone.
TEST_F(SoundServerTest, TheIdleOutputIsSilent)
{
    const std::optional<WavFile> wav = record(300ms, TestDesktop::outputSink() + QStringLiteral(".monitor"));
    ASSERT_TRUE(wav);
    ASSERT_GT(wav->frames(), 0u);
    EXPECT_LT(SignalAnalysis::peak(wav->samples), 1e-3);
}

TEST_F(SoundServerTest, ExtraSourcesWithDevicePropertiesCarryTheToneAndUnloadOneByOne)
{
    const QString master = QStringLiteral("master=%1.monitor").arg(TestDesktop::toneFeedSink());
    QString error;
    std::optional<PulseModule> usb = PulseModule::load(QStringLiteral("module-remap-source"),
        { QStringLiteral("source_name=harness_usb"), master,
            QStringLiteral("source_properties=device.bus=usb") },
        &error);
    ASSERT_TRUE(usb) << error.toStdString();
    std::optional<PulseModule> other = PulseModule::load(QStringLiteral("module-remap-source"),
        { QStringLiteral("source_name=harness_other"), master }, &error);
    ASSERT_TRUE(other) << error.toStdString();
    EXPECT_NE(usb->index(), other->index());

    const CommandResult listing = Pactl::run({ QStringLiteral("list"), QStringLiteral("sources") });
    ASSERT_TRUE(listing.succeeded());
    const qsizetype at = listing.output.indexOf(QStringLiteral("Name: harness_usb"));
    ASSERT_GE(at, 0);
    const qsizetype next = listing.output.indexOf(QStringLiteral("Source #"), at);
    EXPECT_TRUE(listing.output.mid(at, next - at).contains(QStringLiteral("device.bus = \"usb\"")));

    const std::optional<WavFile> wav = record(500ms, QStringLiteral("harness_usb"));
    ASSERT_TRUE(wav);
    expectTone(*wav);

    EXPECT_TRUE(usb->unload());
    EXPECT_FALSE(usb->unload()) << "a second unload must not reach the server";
    const QStringList sources = Pactl::sourceNames();
    EXPECT_FALSE(sources.contains(QStringLiteral("harness_usb")));
    EXPECT_TRUE(sources.contains(QStringLiteral("harness_other")));
    EXPECT_TRUE(sources.contains(TestDesktop::toneSource()));

    other.reset();
    EXPECT_FALSE(Pactl::sourceNames().contains(QStringLiteral("harness_other")));
}

} // namespace
