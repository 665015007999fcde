#include "TestDesktop.h"

#include <QtGlobal>

namespace TestSupport::TestDesktop {

bool isRunning()
{
    return !qEnvironmentVariableIsEmpty("TAPEWICK_TEST_DESKTOP");
}

QString notRunningHint()
{
    return QStringLiteral("not inside the test desktop: run through CTest or scripts/with-test-desktop");
}

QString outputSink()
{
    return qEnvironmentVariable("TAPEWICK_TEST_OUTPUT_SINK");
}

QString toneSource()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_SOURCE");
}

QString toneFeedSink()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_FEED_SINK");
}

double toneFrequency()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_FREQUENCY").toDouble();
}

double toneAmplitude()
{
    return qEnvironmentVariable("TAPEWICK_TEST_TONE_AMPLITUDE").toDouble();
}

} // namespace TestSupport::TestDesktop
