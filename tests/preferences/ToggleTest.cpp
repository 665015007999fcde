#include "PreferencesTestSupport.h"

#include "EventLoop.h"
#include "preferences/DefaultsToggle.h"

#include <QLabel>
#include <QTest>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Defaults::Key;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

class ToggleTest : public PreferencesTest
{
protected:
    // Lets the toggle's loop deliver its first value, which changes nothing.
    static void settle() { processEventsFor(20ms); }
};

TEST_F(ToggleTest, ShowsTheValueAndTheTitleAsItStandsAndAClickStoresThenRunsTheActionOnce)
{
    const Key<bool> key("copy", false, m_suite);
    Defaults::Toggle toggle("Save &Quit", key);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_TRUE(toggle.shortcut().isEmpty());
    EXPECT_EQ(toggle.text().replace("&&", "&"), "Save &Quit");
    std::vector<bool> actions;
    toggle.onChange([&](bool value) { actions.push_back(value); });
    settle();
    EXPECT_TRUE(actions.empty());
    toggle.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&toggle));
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(8, toggle.height() / 2));
    EXPECT_TRUE(Defaults::get(key));
    EXPECT_TRUE(toggle.isChecked());
    ASSERT_TRUE(processEventsUntil([&] { return !actions.empty(); }));
    processEventsFor(20ms);
    EXPECT_EQ(actions, std::vector<bool> { true });
}

TEST_F(ToggleTest, ALabelWidgetIsShownBesideTheBoxAndAClickOnItToggles)
{
    const Key<bool> key("show", false, m_suite);
    auto *label = new QLabel(
        QStringLiteral("Show recording in the file manager\nTip: a second, longer line of text"));
    Defaults::Toggle toggle(key, label);
    std::vector<bool> actions;
    toggle.onChange([&](bool value) { actions.push_back(value); });
    toggle.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&toggle));
    EXPECT_EQ(label->parentWidget(), &toggle);
    EXPECT_GE(toggle.sizeHint().width(), label->sizeHint().width());
    EXPECT_GE(toggle.sizeHint().height(), label->sizeHint().height());
    EXPECT_GT(label->geometry().left(), 0);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_TRUE(Defaults::get(key));
    ASSERT_TRUE(processEventsUntil([&] { return !actions.empty(); }));
    EXPECT_EQ(actions, std::vector<bool> { true });
}

TEST_F(ToggleTest, WithoutAnActionItOnlyStoresASecondActionReplacesTheFirstAndItFollowsChanges)
{
    const Key<bool> key("copy", false, m_suite);
    Defaults::Toggle toggle("Copy recording", key);
    settle();
    toggle.click();
    toggle.click();
    EXPECT_EQ(m_suite->object("copy"), PropertyValue(false));
    processEventsFor(20ms);
    EXPECT_FALSE(toggle.isChecked());

    Defaults::Toggle replaced("Copy recording", key);
    int first = 0;
    int second = 0;
    replaced.onChange([&](bool) { ++first; }).onChange([&](bool) { ++second; });
    settle();
    replaced.click();
    ASSERT_TRUE(processEventsUntil([&] { return second == 1; }));
    EXPECT_EQ(first, 0);

    // A toggle follows changes made elsewhere and by another toggle.
    std::vector<bool> actions;
    toggle.onChange([&](bool value) { actions.push_back(value); });
    settle();
    replaced.click();
    ASSERT_TRUE(processEventsUntil([&] { return actions.size() == 1; }));
    EXPECT_FALSE(toggle.isChecked());
    std::thread elsewhere([&] { Defaults::set(key, true); });
    elsewhere.join();
    ASSERT_TRUE(processEventsUntil([&] { return actions.size() == 2; }));
    EXPECT_TRUE(toggle.isChecked());
    replaced.click();
    ASSERT_TRUE(processEventsUntil([&] { return actions.size() == 3; }));
    EXPECT_EQ(actions, (std::vector<bool> { false, true, false }));
    key.reset();
    processEventsFor(20ms);
    EXPECT_EQ(actions.size(), 3u);
}

} // namespace
