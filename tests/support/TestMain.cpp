#include "FreshHome.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <optional>

// Every test binary gets a GUI-thread event loop, as the program has, and a home of its own, so
// no test reads or writes the user's settings. Programs whose tests need no desktop always draw
// offscreen: a display named by the environment (the user's, the test desktop's) would give their
// widgets real window systems' focus, pointer and drags. Desktop tests draw offscreen only when
// run outside the private desktop (CTest lists them before it starts).
int main(int argc, char **argv)
{
    if (TAPEWICK_TEST_ALWAYS_OFFSCREEN
        || (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // One plugin registry for all test processes: building it takes seconds.
    if (qEnvironmentVariableIsEmpty("GST_REGISTRY")) {
        qputenv("GST_REGISTRY", TAPEWICK_TEST_GST_REGISTRY);
    }
    QDir().mkpath(QFileInfo(qEnvironmentVariable("GST_REGISTRY")).path());
    // Test programs a test starts (death tests' children, recorder children) keep the home of the
    // test that started them: they may end without cleaning up one of their own.
    std::optional<TestSupport::FreshHome> home;
    if (qEnvironmentVariableIsEmpty("TAPEWICK_TEST_HOME")) {
        home.emplace();
        qputenv("TAPEWICK_TEST_HOME", QFile::encodeName(home->path()));
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
