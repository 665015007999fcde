#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowAccessor.h"

#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(WindowLevelTest, FloatingStaysOnTopAndComesBackShown)
{
    QWidget window;
    window.show();
    EXPECT_EQ(windowLevel(&window), WindowLevel::normal);
    setWindowLevel(&window, WindowLevel::floating);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(windowLevel(&window), WindowLevel::floating);
    EXPECT_TRUE(window.isVisible());
    setWindowLevel(&window, WindowLevel::normal);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
}

TEST(WindowLevelTest, HiddenWindowStaysHidden)
{
    QWidget window;
    setWindowLevel(&window, WindowLevel::floating);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(windowLevel(&window), WindowLevel::floating);
    setWindowLevel(nullptr, WindowLevel::floating);
}

TEST(WindowAccessorTest, ReportsNothingFirstThenTheHostingWindow)
{
    auto *content = new QLabel(QStringLiteral("settings"));
    std::vector<QWidget *> reported;
    WindowAccessor::attach(content, [&](QWidget *window) { reported.push_back(window); });
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], nullptr);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(content);
    window.show();
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), &window);
}

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
