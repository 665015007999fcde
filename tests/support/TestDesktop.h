#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace TestSupport {

// The private test desktop (scripts/test-desktop) as its environment describes it; names are
// empty and figures zero outside it.
struct TestDesktop
{
    static bool isRunning() { return !qEnvironmentVariableIsEmpty("TAPEWICK_TEST_DESKTOP"); }

    // The default output, a null sink.
    static QString outputSink() { return qEnvironmentVariable("TAPEWICK_TEST_OUTPUT_SINK"); }
    // The default input, playing a steady sine.
    static QString toneSource() { return qEnvironmentVariable("TAPEWICK_TEST_TONE_SOURCE"); }
    // The null sink the tone plays into; its monitor carries the tone.
    static QString toneFeedSink() { return qEnvironmentVariable("TAPEWICK_TEST_TONE_FEED_SINK"); }
    static double toneFrequency() { return qEnvironmentVariable("TAPEWICK_TEST_TONE_FREQUENCY").toDouble(); }
    // Peak, full scale 1.0.
    static double toneAmplitude() { return qEnvironmentVariable("TAPEWICK_TEST_TONE_AMPLITUDE").toDouble(); }
    // The processes of the sound server: PulseAudio, or PipeWire and its PulseAudio server.
    static std::vector<qint64> soundServerProcesses()
    {
        QFile pids(qEnvironmentVariable("TAPEWICK_TEST_DESKTOP") + QStringLiteral("/pids"));
        std::vector<qint64> found;
        if (!pids.open(QIODevice::ReadOnly)) {
            return found;
        }
        // One "name pid" a line.
        for (const QByteArray &line : pids.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 2 && (fields[0] == "pulseaudio" || fields[0].startsWith("pipewire"))) {
                found.push_back(fields[1].toLongLong());
            }
        }
        return found;
    }
};

} // namespace TestSupport
