#include "kit/foundation/time/TimeFormatting.h"
#include "platform/desktop/StatusBarButton.h"
#include "recording/AttributedButtonTitle.h"

#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

namespace {

QString clock(double seconds)
{
    return timeFormatted(seconds, TimeFormat { true, true, true });
}

int renderedWidth(const QString &text)
{
    StatusBarButton button;
    QPixmap image(14, 14);
    image.fill(Qt::red);
    button.setImage(QIcon(image));
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    const AttributedString title = AttributedString(text).withFont(TextFont::system().monospacedDigit());
    button.setAttributedTitle(std::make_shared<AttributedButtonTitle>(title));
    return button.render(22).width();
}

TEST(StatusTitleTest, ClockTitlesKeepTheirWidthWhileTheDigitsChange)
{
    std::set<int> minuteWidths;
    for (double seconds : { 0.0, 1.0, 11.0, 111.0, 600.0, 1111.0, 3599.9 }) {
        minuteWidths.insert(renderedWidth(clock(seconds)));
    }
    EXPECT_EQ(clock(0), QStringLiteral("00:00"));
    EXPECT_EQ(clock(3599.9), QStringLiteral("59:59"));
    EXPECT_EQ(minuteWidths.size(), 1u);

    std::set<int> hourWidths;
    for (double seconds : { 3600.0, 3611.0, 40000.0, 86399.0 }) {
        hourWidths.insert(renderedWidth(clock(seconds)));
    }
    EXPECT_EQ(clock(3600), QStringLiteral("01:00:00"));
    EXPECT_EQ(hourWidths.size(), 1u);
    EXPECT_GT(*hourWidths.begin(), *minuteWidths.begin());
}

TEST(StatusTitleTest, TheTitleCarriesTheKitTextThrough)
{
    const AttributedString string = AttributedString(QStringLiteral("00:07")).withBaselineOffset(-0.5);
    const AttributedButtonTitle title(string);
    EXPECT_EQ(title.text(), QStringLiteral("00:07"));
    EXPECT_EQ(title.size(), string.size());
}

} // namespace
