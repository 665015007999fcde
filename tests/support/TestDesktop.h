#pragma once

#include <QString>
#include <QtGlobal>

// The private test desktop (scripts/test-desktop) as its environment describes it; names are
// empty and figures zero outside it.
namespace TestSupport::TestDesktop {

inline bool isRunning()
{
    return !qEnvironmentVariableIsEmpty("TAPEWICK_TEST_DESKTOP");
}

// What to tell someone who ran a desktop test outside the desktop.
inline QString notRunningHint()
{
    return QStringLiteral("not inside the test desktop: run through CTest or scripts/with-test-desktop");
}

// The default output, a null sink.
inline QString outputSink()
{
    return qEnvironmentVariable("TAPEWICK_TEST_OUTPUT_SINK");
}
// The default input, playing a steady sine.
inline QString toneSource()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_SOURCE");
}
// The null sink the tone plays into; its monitor carries the tone.
inline QString toneFeedSink()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_FEED_SINK");
}
// Hz.
inline double toneFrequency()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_FREQUENCY").toDouble();
}
// Peak, full scale 1.0.
inline double toneAmplitude()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_AMPLITUDE").toDouble();
}

} // namespace TestSupport::TestDesktop
