#include "app/settings/SettingsScreen.h"
#include "app/SettingsKeys.h"
#include "kit/services/KwApp.h"
#include "kit/ui/EnumPicker.h"
#include "kit/ui/WindowLevel.h"
#include "platform/events/CurrentValueSubject.h"
#include "preferences/DefaultsToggle.h"

#include "EventLoop.h"
#include "HelperProcess.h"
#include "StandardDefaultsTest.h"

#include <QSaveFile>
#include <QTabBar>
#include <algorithm>

#include <gtest/gtest.h>

namespace {

class SettingsScreenTest : public StandardDefaultsTest
{
protected:
    void TearDown() override
    {
        delete KwApp::settingsWindow();
        StandardDefaultsTest::TearDown();
    }

    static Defaults::Toggle *toggle(SettingsScreen *screen, const QString &title)
    {
        const auto toggles = screen->findChildren<Defaults::Toggle *>();
        const auto found = std::ranges::find(toggles, title, &Defaults::Toggle::text);
        return found == toggles.end() ? nullptr : *found;
    }
};

TEST_F(SettingsScreenTest, OneFloatingWindowWhoseTogglesAndIconPickerWriteAtOnceAndFollowTheirKeys)
{
    // The copy warning's own test is a restart of the program.
    standard().setObject("Kw_App_runOnce__copyWarning", PropertyValue(true));
    SettingsScreen *screen = SettingsScreen::show();
    const struct
    {
        QString title;
        const Defaults::Key<bool> &key;
    } cases[] = {
        { QStringLiteral("Lossless quality"), SettingsKeys::lossless() },
        { QStringLiteral("Copy recording"), SettingsKeys::copyRecordingWhenDone() },
        { QStringLiteral("Show recording in the file manager"), SettingsKeys::showInFinderAfterSaving() },
        { QStringLiteral("Dim tray icon when not recording"),
            SettingsKeys::dimMenuBarIconWhenNotRecording() },
        { QStringLiteral("Show duration in the tray while recording"),
            SettingsKeys::showDurationInMenuBar() },
    };
    for (const auto &[title, key] : cases) {
        auto *shown = toggle(screen, title);
        ASSERT_TRUE(shown) << title.toStdString();
        const bool initial = Defaults::get(key);
        EXPECT_EQ(shown->isChecked(), initial);
        shown->click();
        EXPECT_EQ(Defaults::get(key), !initial) << title.toStdString();
        TestSupport::processEventsFor(std::chrono::milliseconds(100));
        Defaults::set(key, initial);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return shown->isChecked() == initial; }));
    }

    // Controls follow a hand-edited settings file.
    auto *lossless = toggle(screen, QStringLiteral("Lossless quality"));
    auto *icons = screen->findChild<EnumPickerBase *>();
    ASSERT_TRUE(lossless && icons);
    Defaults::set(SettingsKeys::lossless(), false);

    QSaveFile edited(standard().filePath());
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write(QByteArrayLiteral(R"({"lossless": true, "menuBarIcon": "waveform"})"));
    ASSERT_TRUE(edited.commit());
    EXPECT_TRUE(
        TestSupport::processEventsUntil([&] { return lossless->isChecked() && icons->currentIndex() == 5; }));

    // One floating window, whose icon picker shows each style as its image.
    EXPECT_EQ(SettingsScreen::show(), screen);
    EXPECT_EQ(KwApp::settingsWindow(), screen);
    EXPECT_EQ(windowLevel(screen), WindowLevel::floating);
    ASSERT_EQ(screen->tabBar()->count(), 4);
    for (int tab = 0; tab < 4; ++tab) {
        EXPECT_FALSE(screen->tabBar()->tabIcon(tab).isNull());
    }
    ASSERT_EQ(icons->count(), std::ssize(MenuBarIcons::allCases));
    for (int row = 0; row < icons->count(); ++row) {
        EXPECT_TRUE(icons->itemText(row).isEmpty());
        EXPECT_EQ(icons->itemIcon(row).cacheKey(),
            MenuBarIcons::image(MenuBarIcons::allCases[static_cast<std::size_t>(row)]).cacheKey());
    }
    icons->setCurrentIndex(4);
    EXPECT_EQ(standard().object("menuBarIcon"), PropertyValue(std::string("record3")));
}

// The duration setting's help tells what it does on the tray in use, and follows the item to another
// tray while the window is open: a tray without a label beside its icon shows the duration in the
// menu and the tooltip whatever the setting.
TEST_F(SettingsScreenTest, TheDurationSettingsHelpIsTrueOfTheTrayInUse)
{
    Events::CurrentValueSubject<bool> trayShowsLabel(false);
    SettingsScreen *screen = SettingsScreen::show(trayShowsLabel.eraseToAnyPublisher());
    auto *duration = toggle(screen, QStringLiteral("Show duration in the tray while recording"));
    ASSERT_TRUE(duration);
    const QString inTheMenu
        = QStringLiteral("When disabled, the duration will be shown in the menu instead.");
    const QString noLabel
        = QStringLiteral("This tray shows no label beside its icon: the duration is shown in "
                         "the menu and in the icon's tooltip, whether this is on or off.");
    EXPECT_EQ(duration->toolTip(), noLabel) << "the XEmbed tray";
    const std::pair<bool, QString> moves[] = { { true, inTheMenu }, { false, noLabel }, { true, inTheMenu } };
    for (const auto &[showsLabel, help] : moves) {
        trayShowsLabel.send(showsLabel);
        EXPECT_EQ(duration->toolTip(), help) << showsLabel;
    }
    // Asked again, the open window keeps following the tray it follows.
    Events::CurrentValueSubject<bool> other(false);
    EXPECT_EQ(SettingsScreen::show(other.eraseToAnyPublisher()), screen);
    EXPECT_EQ(duration->toolTip(), inTheMenu);
    delete screen;
    // A window made without word of the tray speaks of a tray with a label.
    duration = toggle(SettingsScreen::show(), QStringLiteral("Show duration in the tray while recording"));
    ASSERT_TRUE(duration);
    EXPECT_EQ(duration->toolTip(), inTheMenu);
}

// The tip on choosing a folder is shown once across restarts too (ReadOnlyDirectoryTest).
TEST(RunOnceAlertTest, TheCopyWarningIsShownOnceAcrossARestart)
{
    const HelperProcess helper;
    EXPECT_EQ(helper.run({ QStringLiteral("copy") }), "alert: Please read!|stored: none");
    EXPECT_EQ(helper.run({ QStringLiteral("copy") }), "stored: none");
}

} // namespace
