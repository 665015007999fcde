#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// Every test binary gets a GUI-thread event loop, as the program has. Tests that
// run outside the private desktop draw offscreen.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
