#include "TemporaryConfigHome.h"

#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/KwMenu.h"
#include "kit/services/MenuItems.h"
#include "kit/services/SystemShareMenu.h"
#include "platform/desktop/ShareServices.h"

#include "EventLoop.h"
#include "KitTesting.h"
#include "UrlOpenCatcher.h"

#include "preferences/Defaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(KwMenu, AsksForItsItemsBeforeItCountsAsOpen)
{
    KwMenu menu;
    QStringList events;
    menu.onUpdate = [&](KwMenu &updated) {
        EXPECT_EQ(&updated, &menu);
        events.append("update");
        updated.clear();
        updated.addAction("Item");
    };
    Events::AnyCancellable subscription
        = menu.isOpenPublisher().sink([&](bool open) { events.append(open ? "open" : "closed"); });
    EXPECT_EQ(events, QStringList { "closed" });
    menu.popup(QPoint(10, 10));
    EXPECT_TRUE(menu.isOpen());
    menu.hide();
    EXPECT_FALSE(menu.isOpen());
    EXPECT_EQ(events, (QStringList { "closed", "update", "open", "closed" }));
    EXPECT_EQ(menu.actions().size(), 1);
}

TEST(KwMenu, AnOpenMenuRunsTheItemOfAPressedKeyEquivalentOnceAfterClosing)
{
    KwMenu menu;
    std::vector<bool> runsWhileOpen;
    menu.addAction(new CallbackMenuItem(
        "Record", "r", Qt::MetaModifier | Qt::ShiftModifier, true, false, false,
        [&] { runsWhileOpen.push_back(menu.isOpen()); }, &menu));
    menu.addAction(new CallbackMenuItem(
        "Off", "o", std::nullopt, false, false, false, [&] { runsWhileOpen.push_back(true); }, &menu));
    menu.popup(QPoint(10, 10));
    QTest::keyClick(&menu, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&menu, Qt::Key_R, Qt::ShiftModifier);
    EXPECT_TRUE(runsWhileOpen.empty());
    QTest::keyClick(&menu, Qt::Key_R, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(runsWhileOpen, std::vector { false });
    EXPECT_FALSE(menu.isVisible());
}

TEST(CallbackMenuItem, KeyEquivalentsUseControlUnlessTold)
{
    const std::tuple<const char *, std::optional<Qt::KeyboardModifiers>, const char *> cases[] = {
        { "q", std::nullopt, "Ctrl+Q" },
        { "Q", std::nullopt, "Ctrl+Shift+Q" },
        { ",", std::nullopt, "Ctrl+," },
        { "r", Qt::AltModifier, "Alt+R" },
        { "", std::nullopt, "" },
    };
    for (const auto &[key, modifiers, shortcut] : cases) {
        EXPECT_EQ(CallbackMenuItem::shortcutFor(key, modifiers), QKeySequence(shortcut)) << key;
    }
}

TEST(MenuItems, DefaultsToggleInvertsTheSettingThenRunsTheAction)
{
    TemporaryConfigHome home;
    const Defaults::Key<bool> key("monitorInput", true, UserDefaults::suite("menus-test"));
    QMenu menu;
    std::optional<bool> seenByAction;
    CallbackMenuItem *item
        = addDefaultsToggleItem(&menu, "Monitor", key, true, [&] { seenByAction = Defaults::get(key); });
    EXPECT_TRUE(item->isOn());
    item->trigger();
    EXPECT_TRUE(item->isOn()) << "the menu is rebuilt to show the new state";
    EXPECT_FALSE(Defaults::get(key));
    EXPECT_EQ(seenByAction, false);
    EXPECT_FALSE(addDefaultsToggleItem(&menu, "Again", key)->isOn());

    // The item keeps its own copy: a key given as a temporary, whose place is then taken by
    // another, still toggles the setting it was made for.
    std::optional<Defaults::Key<bool>> given;
    given.emplace("monitorInput", true, UserDefaults::suite("menus-test"));
    CallbackMenuItem *copied = addDefaultsToggleItem(&menu, "Copied", *given);
    given.reset();
    given.emplace("otherSetting", false, UserDefaults::suite("menus-test"));
    copied->trigger();
    EXPECT_TRUE(Defaults::get(key));
    EXPECT_FALSE(Defaults::get(*given));
}

TEST(MenuItems, LazySubmenuIsFilledOnceWhenFirstOpened)
{
    QMenu menu;
    QAction *holder = menu.addAction("Previous Recording");
    int built = 0;
    setLazySubmenu(holder, [&] {
        ++built;
        auto *made = new KwMenu();
        made->addAction("Copy");
        made->addAction("Clear");
        return made;
    });
    QMenu *submenu = holder->menu();
    ASSERT_TRUE(submenu);
    EXPECT_TRUE(submenu->isEmpty());
    EXPECT_EQ(built, 0);
    submenu->popup(QPoint(0, 0));
    submenu->hide();
    submenu->popup(QPoint(0, 0));
    submenu->hide();
    EXPECT_EQ(built, 1);
    ASSERT_EQ(submenu->actions().size(), 2);
    EXPECT_EQ(submenu->actions()[1]->text(), "Clear");
    TestSupport::processEventsFor(10ms);
    EXPECT_EQ(submenu->actions()[0]->text(), "Copy"); // they outlive the built menu

    QAction *disabled = menu.addAction("Off");
    disabled->setEnabled(false);
    setLazySubmenu(disabled, [&] {
        ++built;
        return new KwMenu();
    });
    disabled->menu()->popup(QPoint(0, 0));
    disabled->menu()->hide();
    EXPECT_EQ(built, 1);
}

TEST(MenuItems, QuitGoesThroughTheQuitConfirmation)
{
    KwApp::installFoundationHooks();
    int asked = 0;
    KwApp::setShouldTerminate([&] {
        ++asked;
        return false;
    });
    QMenu menu;
    CallbackMenuItem *quit = addQuitItem(&menu);
    quit->trigger();
    EXPECT_EQ(asked, 0); // the quit is queued
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return asked == 1; }));
    KwApp::setShouldTerminate({});
}

TEST(MenuItems, PageItemsOpenThePagesSetWhenChosen)
{
    const KwKit::Metadata before = KwKit::metadata();
    QMenu menu;
    CallbackMenuItem *website = addWebsiteItem(&menu);
    CallbackMenuItem *moreApps = addMoreAppsItem(&menu);
    const QUrl site("https://example.org/site");
    const QUrl apps("https://example.org/apps");
    KwKit::setMetadata({ site, QUrl("https://example.org/feedback"), apps, {} });
    UrlOpenCatcher catcher("https");
    moreApps->trigger();
    website->trigger();
    KwKit::setMetadata(before);
    EXPECT_EQ(catcher.opened, (QList<QUrl> { apps, site }));
    // Without a store there is nothing to rate.
    const qsizetype items = menu.actions().size();
    EXPECT_EQ(addRateAppItem(&menu), nullptr);
    EXPECT_EQ(menu.actions().size(), items);
}

TEST(SystemShareMenu, OffersTheServicesThatCanShareTheItems)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("composer");
    const QString output = dir.filePath("arguments");
    KitTesting::writeFile(script, QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(output).toUtf8());
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const ShareService email = ShareServices::emailService(script);
    EXPECT_FALSE(email.canPerform({ QUrl("https://example.org") }));
    const QUrl recording = QUrl::fromLocalFile(dir.filePath("Audio Recording.m4a"));
    ASSERT_TRUE(email.canPerform({ recording }));
    email.perform({ recording });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFileInfo(output).size() > 0; }));
    EXPECT_EQ(KitTesting::readFile(output).trimmed(), ("--attach " + recording.toLocalFile()).toUtf8());

    // Sharing through a chosen service is checked where the previous recording is shared.
    ShareServices::registerService({ "Own", QIcon(), [](const QList<QUrl> &) { return true; }, {} });
    ShareServices::registerService({ "Never", QIcon(), [](const QList<QUrl> &) { return false; }, {} });
    const SystemShareMenu menu({ recording });
    QStringList titles;
    for (const QAction *action : menu.actions()) {
        titles << action->text();
    }
    EXPECT_TRUE(titles.contains("Own"));
    EXPECT_FALSE(titles.contains("Never"));
}
