#include "DesktopTest.h"
#include "EventLoop.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace TestSupport;

namespace {

const QColor fill(0x2a, 0x9d, 0x5c);
const QRect placement(120, 140, 240, 160);

// What the X server shows in `rect`, read back from the root window.
QImage screenArea(const QRect &rect)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage()
                  : QImage();
}

double shareOfColour(const QImage &image, const QColor &colour)
{
    if (image.isNull()) {
        return 0.0;
    }
    qsizetype matching = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            matching += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
        }
    }
    return double(matching) / (double(image.width()) * image.height());
}

using DisplayTest = DesktopTest;

TEST_F(DisplayTest, QtDrawsOnThePrivateXServer)
{
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    EXPECT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_GE(QGuiApplication::primaryScreen()->geometry().width(), placement.right());
}

TEST_F(DisplayTest, AScreenshotShowsAShownWindowAndNotAHiddenOne)
{
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, fill);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setGeometry(placement);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QRect shown(window.mapToGlobal(QPoint(0, 0)), window.size());
    EXPECT_TRUE(processEventsUntil([&] { return shareOfColour(screenArea(shown), fill) > 0.99; }))
        << "share of the window's colour on screen: " << shareOfColour(screenArea(shown), fill);

    // Somewhere the window is not must not show its colour either.
    const QRect beside = shown.translated(shown.width() + 20, 0);
    EXPECT_LT(shareOfColour(screenArea(beside), fill), 0.01);

    window.hide();
    EXPECT_TRUE(processEventsUntil([&] { return shareOfColour(screenArea(shown), fill) < 0.01; }))
        << "the screenshot still shows a hidden window";
}

} // namespace
