#include "platform/desktop/StatusBarButton.h"
#include "recording/AttributedButtonTitle.h"
#include "recording/StatusButtonStyle.h"

#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

namespace {

// The width of the tray button showing the elapsed-time title for `seconds`.
int renderedWidth(double seconds)
{
    StatusBarButton button;
    QPixmap image(14, 14);
    image.fill(Qt::red);
    button.setImage(QIcon(image));
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    button.setAttributedTitle(
        std::make_shared<AttributedButtonTitle>(StatusButtonStyle::elapsedTimeTitle(seconds, 1)));
    return button.render(22).width();
}

TEST(StatusTitleTest, ClockTitlesKeepTheirWidthWhileTheDigitsChange)
{
    std::set<int> minuteWidths;
    for (double seconds : { 0.0, 1.0, 11.0, 111.0, 600.0, 1111.0, 3599.9 }) {
        minuteWidths.insert(renderedWidth(seconds));
    }
    EXPECT_EQ(minuteWidths.size(), 1u);

    std::set<int> hourWidths;
    for (double seconds : { 3600.0, 3611.0, 40000.0, 86399.0 }) {
        hourWidths.insert(renderedWidth(seconds));
    }
    EXPECT_EQ(hourWidths.size(), 1u);
    EXPECT_GT(*hourWidths.begin(), *minuteWidths.begin());
}

} // namespace
