#include "EventLoop.h"

#include "platform/desktop/DBusMenuExporter.h"

#include <QAction>
#include <QActionGroup>
#include <QMap>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// "-" a separator, "x" a hidden entry, a letter an entry.
void fill(QMenu &menu, const char *entries)
{
    for (const char *c = entries; *c != 0; ++c) {
        if (*c == '-') {
            menu.addSeparator();
        } else {
            menu.addAction(QString(QLatin1Char(*c)))->setVisible(*c != 'x');
        }
    }
}

// Whether each separator of the root shows, as the panel reads the layout.
QList<bool> separatorsShown(DBusMenuExporter &exporter)
{
    DBusMenuLayoutItem root;
    exporter.GetLayout(0, -1, {}, root);
    QList<bool> shown;
    for (const DBusMenuLayoutItem &child : std::as_const(root.children)) {
        if (child.properties.value(QStringLiteral("type")) == QStringLiteral("separator")) {
            shown << child.properties.value(QStringLiteral("visible")).toBool();
        }
    }
    return shown;
}

// Each kind of entry as a panel reads it.
TEST(DBusMenuExporterTest, EntriesCarryTheirPropertiesInTheProtocolsNames)
{
    QMenu submenu;
    QActionGroup group(nullptr);
    const struct
    {
        const char *what;
        std::function<void(QAction &)> make;
        QVariantMap expected;
    } cases[] = {
        { "plain, with a mnemonic", [](QAction &a) { a.setText(QStringLiteral("Re&cord")); },
            { { "label", "Re_cord" }, { "enabled", true }, { "visible", true } } },
        { "underscores and a literal ampersand", [](QAction &a) { a.setText(QStringLiteral("a_b && c")); },
            { { "label", "a__b & c" }, { "enabled", true }, { "visible", true } } },
        { "disabled and hidden",
            [](QAction &a) {
                a.setText(QStringLiteral("None"));
                a.setEnabled(false);
                a.setVisible(false);
            },
            { { "label", "None" }, { "enabled", false }, { "visible", false } } },
        { "checked",
            [](QAction &a) {
                a.setText(QStringLiteral("Force Mono"));
                a.setCheckable(true);
                a.setChecked(true);
            },
            { { "label", "Force Mono" }, { "enabled", true }, { "visible", true },
                { "toggle-type", "checkmark" }, { "toggle-state", 1 } } },
        { "one of a group, unchecked",
            [&](QAction &a) {
                a.setText(QStringLiteral("Mic"));
                a.setCheckable(true);
                a.setActionGroup(&group);
            },
            { { "label", "Mic" }, { "enabled", true }, { "visible", true }, { "toggle-type", "radio" },
                { "toggle-state", 0 } } },
        { "submenu",
            [&](QAction &a) {
                a.setText(QStringLiteral("More"));
                a.setMenu(&submenu);
            },
            { { "label", "More" }, { "enabled", true }, { "visible", true },
                { "children-display", "submenu" } } },
        { "separator", [](QAction &a) { a.setSeparator(true); },
            { { "type", "separator" }, { "enabled", true }, { "visible", true } } },
    };
    for (const auto &test : cases) {
        QAction action;
        test.make(action);
        EXPECT_EQ(DBusMenuExporter::properties(action), test.expected) << test.what;
    }

    QAction settings(QStringLiteral("Settings\u2026"));
    settings.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    const QVariant shortcut = DBusMenuExporter::properties(settings).value(QStringLiteral("shortcut"));
    EXPECT_EQ(shortcut.value<QList<QStringList>>(), QList<QStringList>({ { "Control", "comma" } }));
    QAction quit(QStringLiteral("Quit"));
    quit.setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q));
    EXPECT_EQ(
        DBusMenuExporter::properties(quit).value(QStringLiteral("shortcut")).value<QList<QStringList>>(),
        QList<QStringList>({ { "Control", "Shift", "Q" } }));
}

// Hidden entries leave their separators in runs; the panel is shown the menu as the screen shows it.
TEST(DBusMenuExporterTest, SeparatorsCollapseAsOnTheScreen)
{
    // The entries as `fill` reads them, and the separators each layout shows.
    const struct
    {
        const char *entries;
        QList<bool> separatorsShown;
    } cases[] = {
        { "a-b", { true } },
        { "-a-", { false, false } },
        { "a--b", { true, false } },
        { "a-x-b", { true, false } },
        { "a-x-x-", { false, false, false } },
        { "x-a-x", { false, false } },
        { "a-xb-c", { true, true } },
    };
    for (const auto &test : cases) {
        QMenu menu;
        fill(menu, test.entries);
        DBusMenuExporter exporter(QDBusConnection(QStringLiteral("none")), QStringLiteral("/Menu"), &menu);
        EXPECT_EQ(separatorsShown(exporter), test.separatorsShown) << test.entries;
    }
}

// A panel keeps what it was sent: an entry shown or hidden sends the separators beside it again,
// as they show as they collapse now.
TEST(DBusMenuExporterTest, ShowingOrHidingAnEntrySendsItsSeparatorsAgain)
{
    // The entry toggled, and the separators the update then shows.
    const struct
    {
        const char *entries;
        char toggled;
        QList<bool> separatorsSent;
    } cases[] = {
        { "a-b", 'a', { false } },
        { "a-x-b", 'x', { true, true } },
        { "a-b-c", 'b', { true, false } },
    };
    for (const auto &test : cases) {
        QMenu menu;
        fill(menu, test.entries);
        DBusMenuExporter exporter(QDBusConnection(QStringLiteral("none")), QStringLiteral("/Menu"), &menu);
        separatorsShown(exporter);
        QSignalSpy updates(&exporter, &DBusMenuExporter::ItemsPropertiesUpdated);
        const QList<QAction *> actions = menu.actions();
        QAction *toggled = *std::ranges::find_if(actions,
            [&](const QAction *action) { return action->text() == QString(QLatin1Char(test.toggled)); });
        toggled->setVisible(!toggled->isVisible());
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !updates.isEmpty(); })) << test.entries;
        QMap<int, bool> sent;
        for (const DBusMenuItem &item : updates.constFirst().constFirst().value<QList<DBusMenuItem>>()) {
            if (item.properties.value(QStringLiteral("type")) == QStringLiteral("separator")) {
                sent.insert(item.id, item.properties.value(QStringLiteral("visible")).toBool());
            }
        }
        EXPECT_EQ(sent.values(), test.separatorsSent) << test.entries;
    }
}

} // namespace
