#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowAccessor.h"

#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(WindowAccessorTest, ReportsAgainWhenTheWindowIsShownAgain)
{
    QWidget window;
    auto *content = new QLabel(QStringLiteral("settings"), &window);
    window.show();
    int reports = 0;
    WindowAccessor::attach(content, [&](QWidget *found) {
        EXPECT_EQ(found, &window);
        ++reports;
    });
    EXPECT_EQ(reports, 1);
    window.hide();
    window.show();
    EXPECT_GE(reports, 2);
}

TEST(WindowAccessorTest, WindowLevelReachesAWindowThatAppearsLater)
{
    auto *content = new QLabel(QStringLiteral("settings"));
    applyWindowLevel(content, WindowLevel::floating);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(content);
    EXPECT_EQ(windowLevel(&window), WindowLevel::normal);
    window.show();
    EXPECT_EQ(windowLevel(&window), WindowLevel::floating);
    EXPECT_TRUE(window.isVisible());
}

TEST(TitlebarButtonsTest, HideAndShowTheStandardButtons)
{
    QWidget window;
    window.show();
    EXPECT_TRUE(titlebarButtonsVisible(&window));
    setTitlebarButtonsVisible(&window, false);
    EXPECT_FALSE(titlebarButtonsVisible(&window));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(window.isVisible());
    const Qt::WindowFlags hidden = window.windowFlags();
    setTitlebarButtonsVisible(&window, false);
    EXPECT_EQ(window.windowFlags(), hidden);
    setTitlebarButtonsVisible(&window, true);
    EXPECT_TRUE(titlebarButtonsVisible(&window));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

} // namespace
