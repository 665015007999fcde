#include "TemporaryConfigHome.h"

#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/KwMenu.h"
#include "kit/services/MenuItems.h"
#include "kit/services/SystemShareMenu.h"
#include "platform/desktop/ShareServices.h"

#include "EventLoop.h"
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
    std::vector<QString> events;
    menu.onUpdate = [&](KwMenu &updated) {
        EXPECT_EQ(&updated, &menu);
        events.push_back(QStringLiteral("update"));
        updated.clear();
        updated.addAction(QStringLiteral("Item"));
    };
    Events::AnyCancellable subscription = menu.isOpenPublisher().sink(
        [&](bool open) { events.push_back(open ? QStringLiteral("open") : QStringLiteral("closed")); });
    EXPECT_EQ(events, (std::vector { QStringLiteral("closed") }));

    menu.popup(QPoint(10, 10));
    EXPECT_TRUE(menu.isOpen());
    menu.hide();
    EXPECT_FALSE(menu.isOpen());
    EXPECT_EQ(events,
        (std::vector { QStringLiteral("closed"), QStringLiteral("update"), QStringLiteral("open"),
            QStringLiteral("closed") }));
    EXPECT_EQ(menu.actions().size(), 1);
}

TEST(KwMenu, AnOpenMenuRunsTheItemOfAPressedKeyEquivalentOnceAfterClosing)
{
    KwMenu menu;
    std::vector<bool> runsWhileOpen;
    menu.addAction(new CallbackMenuItem(
        QStringLiteral("Record"), QStringLiteral("r"), Qt::MetaModifier | Qt::ShiftModifier, true, false,
        false, [&] { runsWhileOpen.push_back(menu.isOpen()); }, &menu));
    menu.addAction(new CallbackMenuItem(
        QStringLiteral("Off"), QStringLiteral("o"), std::nullopt, false, false, false,
        [&] { runsWhileOpen.push_back(true); }, &menu));
    menu.popup(QPoint(10, 10));
    QTest::keyClick(&menu, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&menu, Qt::Key_R, Qt::ShiftModifier);
    EXPECT_TRUE(runsWhileOpen.empty());
    QTest::keyClick(&menu, Qt::Key_R, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(runsWhileOpen, std::vector { false });
    EXPECT_FALSE(menu.isVisible());
}

TEST(CallbackMenuItem, RunsItsCallbackAndKeepsItsState)
{
    int runs = 0;
    CallbackMenuItem on(QStringLiteral("On"), QString(), std::nullopt, true, true, false, [&] { ++runs; });
    on.trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(on.isChecked());
    EXPECT_TRUE(on.isOn());

    CallbackMenuItem off(QStringLiteral("Off"), QString(), std::nullopt, false, false, true, [&] { ++runs; });
    EXPECT_FALSE(off.isCheckable());
    EXPECT_FALSE(off.isEnabled());
    EXPECT_FALSE(off.isVisible());
}

TEST(CallbackMenuItem, KeyEquivalentsUseControlUnlessTold)
{
    EXPECT_EQ(CallbackMenuItem::shortcutFor(QStringLiteral("q"), std::nullopt),
        QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(CallbackMenuItem::shortcutFor(QStringLiteral("Q"), std::nullopt),
        QKeySequence(QStringLiteral("Ctrl+Shift+Q")));
    EXPECT_EQ(CallbackMenuItem::shortcutFor(QStringLiteral(","), std::nullopt),
        QKeySequence(QStringLiteral("Ctrl+,")));
    EXPECT_EQ(CallbackMenuItem::shortcutFor(QStringLiteral("r"), Qt::AltModifier),
        QKeySequence(QStringLiteral("Alt+R")));
    EXPECT_TRUE(CallbackMenuItem::shortcutFor(QString(), std::nullopt).isEmpty());
}

TEST(MenuItems, HeaderIsASmallDisabledItemAfterAnOptionalSeparator)
{
    QMenu menu;
    addHeader(&menu, QStringLiteral("Plain"));
    QAction *header = addHeader(&menu, QStringLiteral("Input Device"), true);
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_FALSE(menu.actions()[0]->isSeparator());
    EXPECT_TRUE(menu.actions()[1]->isSeparator());
    EXPECT_EQ(menu.actions()[2], header);
    EXPECT_FALSE(header->isEnabled());
    EXPECT_LT(header->font().pointSizeF(), QFont().pointSizeF());
}

TEST(MenuItems, DefaultsToggleInvertsTheSettingThenRunsTheAction)
{
    TemporaryConfigHome home;
    const Defaults::Key<bool> key("monitorInput", true, UserDefaults::suite("menus-test"));
    QMenu menu;
    std::optional<bool> seenByAction;
    CallbackMenuItem *item = addDefaultsToggleItem(
        &menu, QStringLiteral("Monitor"), key, true, [&] { seenByAction = Defaults::get(key); });
    EXPECT_TRUE(item->isOn());
    item->trigger();
    EXPECT_FALSE(Defaults::get(key));
    EXPECT_EQ(seenByAction, false);
    EXPECT_FALSE(addDefaultsToggleItem(&menu, QStringLiteral("Again"), key)->isOn());
}

TEST(MenuItems, LazySubmenuIsFilledOnceWhenFirstOpened)
{
    QMenu menu;
    QAction *holder = menu.addAction(QStringLiteral("Previous Recording"));
    int built = 0;
    setLazySubmenu(holder, [&] {
        ++built;
        auto *made = new KwMenu();
        made->addAction(QStringLiteral("Copy"));
        made->addAction(QStringLiteral("Clear"));
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
    EXPECT_EQ(submenu->actions()[1]->text(), QStringLiteral("Clear"));
    TestSupport::processEventsFor(10ms);
    EXPECT_EQ(submenu->actions()[0]->text(), QStringLiteral("Copy")); // they outlive the built menu

    QAction *disabled = menu.addAction(QStringLiteral("Off"));
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
    EXPECT_EQ(quit->text(), QStringLiteral("Quit ") + KwApp::name());
    EXPECT_EQ(quit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
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
    const QUrl site(QStringLiteral("https://example.org/site"));
    const QUrl apps(QStringLiteral("https://example.org/apps"));
    KwKit::setMetadata({ site, QUrl(QStringLiteral("https://example.org/feedback")), apps, {} });
    UrlOpenCatcher catcher(QStringLiteral("https"));
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
    const QString script = dir.filePath(QStringLiteral("composer"));
    const QString output = dir.filePath(QStringLiteral("arguments"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(output).toUtf8());
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const ShareService email = ShareServices::emailService(script);
    EXPECT_FALSE(email.canPerform({ QUrl(QStringLiteral("https://example.org")) }));
    const QUrl recording = QUrl::fromLocalFile(dir.filePath(QStringLiteral("Audio Recording.m4a")));
    ASSERT_TRUE(email.canPerform({ recording }));
    email.perform({ recording });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(output); }));
    QFile result(output);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return result.size() > 0; }));
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(result.readAll()).trimmed(), QStringLiteral("--attach ") + recording.toLocalFile());

    QList<QUrl> shared;
    ShareServices::registerService({ QStringLiteral("Own"), QIcon(), [](const QList<QUrl> &) { return true; },
        [&](const QList<QUrl> &items) { shared = items; } });
    ShareServices::registerService(
        { QStringLiteral("Never"), QIcon(), [](const QList<QUrl> &) { return false; }, {} });
    SystemShareMenu menu({ recording });
    EXPECT_EQ(menu.title(), QStringLiteral("Share"));
    QAction *own = nullptr;
    for (QAction *action : menu.actions()) {
        EXPECT_NE(action->text(), QStringLiteral("Never"));
        if (action->text() == QLatin1String("Own")) {
            own = action;
        }
    }
    ASSERT_TRUE(own);
    own->trigger();
    EXPECT_EQ(shared, QList<QUrl> { recording });
}
