#pragma once

#include <QString>

namespace TestSupport::TestDesktop {

// Whether this process runs inside the private test desktop (scripts/test-desktop).
bool isRunning();

// What to tell someone who ran a desktop test outside the desktop.
QString notRunningHint();

// Names and figures of the desktop's sound setup; empty/zero outside it.
QString outputSink(); // the default output, a null sink
QString toneSource(); // the default input, playing a steady sine
QString toneFeedSink(); // the null sink the tone plays into; its monitor carries the tone
double toneFrequency(); // Hz
double toneAmplitude(); // peak, full scale 1.0

} // namespace TestSupport::TestDesktop
