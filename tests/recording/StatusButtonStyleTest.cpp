#include "recording/StatusButtonStyle.h"
#include "recording/AttributedButtonTitle.h"

#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace StatusButtonStyle;

QIcon square(const QColor &color, bool mask)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(color);
    QIcon icon(pixmap);
    icon.setIsMask(mask);
    return icon;
}

TEST(StatusButtonStyleTest, ElapsedTimeTitleIsRaisedOnlyOnDenseScreens)
{
    // Monospaced digits show in the rendered width, below.
    EXPECT_EQ(elapsedTimeTitle(61, 1).baselineOffset(), 0);
    EXPECT_EQ(elapsedTimeTitle(61, 2.0).baselineOffset(), -0.5);
    EXPECT_EQ(elapsedTimeTitle(61, 1.5).baselineOffset(), 0);
}

TEST(StatusButtonStyleTest, AdjustingStaysWithinRangeAndTheTintFollowsStateAndLevel)
{
    const QColor base = QColor::fromHsvF(0.5f, 0.5f, 0.5f, 1.0f);
    const QColor adjusted = adjusting(base, 0.2, -0.5, 1.0, 0);
    EXPECT_NEAR(adjusted.hsvHueF(), 0.6, 0.01);
    EXPECT_NEAR(adjusted.hsvSaturationF(), 0.25, 0.01);
    EXPECT_NEAR(adjusted.valueF(), 1.0, 0.01);
    EXPECT_NEAR(adjusted.alphaF(), 1.0, 0.01);
    const QColor clamped = adjusting(base, -5, 5, 0, -2);
    EXPECT_NEAR(clamped.hsvSaturationF(), 1.0, 0.01);
    EXPECT_NEAR(clamped.alphaF(), 0.0, 0.01);

    // The tint follows the state and the level.
    const QColor quiet = recordingTint(false, 0);
    EXPECT_GT(quiet.red(), 150);
    EXPECT_LT(quiet.green(), 60);
    EXPECT_NEAR(quiet.valueF(), 0.8, 0.01) << "darkened to 80 % of the brightness";
    const QColor paused = recordingTint(true, 0);
    EXPECT_GT(paused.green(), 120) << "yellow while paused";
    const QColor loud = recordingTint(false, 1);
    EXPECT_GT(loud.valueF(), quiet.valueF());
    EXPECT_LT(loud.hsvSaturationF(), quiet.hsvSaturationF());
}

TEST(StatusButtonStyleTest, TintedIconIsItsShapeInTheColour)
{
    QPixmap shape(14, 14);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.fillRect(0, 0, 7, 14, Qt::black);
    }
    const QIcon icon = tinted(QIcon(shape), Qt::blue);
    EXPECT_FALSE(icon.isMask());
    EXPECT_EQ(naturalSize(icon), QSize(14, 14));
    const QImage picture = icon.pixmap(QSize(14, 14)).toImage();
    EXPECT_EQ(QColor(picture.pixel(2, 7)), QColor(Qt::blue));
    EXPECT_EQ(qAlpha(picture.pixel(11, 7)), 0);
}

TEST(StatusButtonStyleTest, PaddingAddsRoomAtTheLeftAndKeepsTheTemplateFlag)
{
    const QIcon padded = paddedLeft(square(Qt::red, true), 2);
    EXPECT_TRUE(padded.isMask());
    EXPECT_EQ(naturalSize(padded), QSize(16, 14));
    const QImage picture = padded.pixmap(QSize(32, 28)).toImage();
    EXPECT_EQ(qAlpha(picture.pixel(1, 14)), 0) << "the room is empty";
    EXPECT_EQ(qAlpha(picture.pixel(20, 14)), 255);
    EXPECT_FALSE(paddedLeft(square(Qt::red, false), 2).isMask());
}

// The width, in hundredths of a point, the elapsed-time title for `seconds` takes as laid out.
int renderedWidth(double seconds)
{
    return qRound(AttributedButtonTitle(elapsedTimeTitle(seconds, 1)).size().width() * 100);
}

TEST(StatusButtonStyleTest, ClockTitlesKeepTheirWidthWhileTheDigitsChange)
{
    std::set<int> minuteWidths, hourWidths;
    for (double seconds : { 0.0, 1.0, 11.0, 111.0, 600.0, 1111.0, 3599.9 }) {
        minuteWidths.insert(renderedWidth(seconds));
    }
    for (double seconds : { 3600.0, 3611.0, 40000.0, 86399.0 }) {
        hourWidths.insert(renderedWidth(seconds));
    }
    EXPECT_EQ(minuteWidths.size(), 1u);
    EXPECT_EQ(hourWidths.size(), 1u);
    EXPECT_GT(*hourWidths.begin(), *minuteWidths.begin());
}

} // namespace
