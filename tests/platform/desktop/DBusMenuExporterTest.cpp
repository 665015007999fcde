#include "EventLoop.h"

#include "platform/desktop/DBusMenuExporter.h"
#include "platform/desktop/GreyedReason.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
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

// A reason fits a menu: lines about as long as each other, the last cut when even four are too few.
TEST(DBusMenuExporterTest, AReasonIsAFewShortLinesOfAboutOneLength)
{
    const struct
    {
        QString reason;
        QStringList lines;
    } cases[] = {
        { QString(), {} },
        { QStringLiteral("No mail program is set up."), { QStringLiteral("No mail program is set up.") } },
        { QStringLiteral("Cannot record as there are no input devices."),
            { QStringLiteral("Cannot record as there"), QStringLiteral("are no input devices.") } },
        { QStringLiteral("The sound server is not running. Log out and in again, or start it from a "
                         "terminal, to record."),
            { QStringLiteral("The sound server is not running."),
                QStringLiteral("Log out and in again, or start"),
                QStringLiteral("it from a terminal, to record.") } },
        { QStringLiteral(
              "One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
              "fifteen sixteen seventeen eighteen nineteen twenty twenty-one twenty-two twenty-three"),
            { QStringLiteral("One two three four five six seven eight"),
                QStringLiteral("nine ten eleven twelve thirteen fourteen"),
                QStringLiteral("fifteen sixteen seventeen eighteen"),
                QStringLiteral("nineteen twenty twenty-one twenty-two\u2026") } },
        { QString(45, u'x'), { QString(23, u'x'), QString(22, u'x') } },
        { QString(90, u'x'), { QString(30, u'x'), QString(30, u'x'), QString(30, u'x') } },
        { QString(200, u'x'),
            { QString(40, u'x'), QString(40, u'x'), QString(40, u'x'), QString(39, u'x') + u'\u2026' } },
    };
    for (const auto &test : cases) {
        const QStringList lines = DBusMenuExporter::reasonLines(test.reason);
        EXPECT_EQ(lines, test.lines) << test.reason.toStdString();
        for (const QString &line : lines) {
            EXPECT_LE(line.size(), DBusMenuExporter::reasonLineLength) << line.toStdString();
        }
    }
}

// A greyed entry's reason goes with it into the exported menu, as greyed lines right under it, and
// the panel hears of each change; the menu on the screen keeps its entries and the tooltip.
TEST(DBusMenuExporterTest, AGreyedEntrysReasonFollowsItAsLinesUnderIt)
{
    QMenu menu;
    QAction *record = menu.addAction(QStringLiteral("Record"));
    menu.addAction(QStringLiteral("Quit"));
    DBusMenuExporter exporter(QDBusConnection(QStringLiteral("none")), QStringLiteral("/Menu"), &menu);
    QList<uint> revisions;
    QList<DBusMenuItem> updates;
    QObject::connect(
        &exporter, &DBusMenuExporter::LayoutUpdated, [&](uint revision, int) { revisions << revision; });
    QObject::connect(&exporter, &DBusMenuExporter::ItemsPropertiesUpdated,
        [&](const QList<DBusMenuItem> &updated, const QList<DBusMenuItemKeys> &) { updates << updated; });
    // "(row)" for a greyed one; and each entry's label by its id.
    QHash<int, QString> labels;
    const auto rows = [&] {
        DBusMenuLayoutItem root;
        exporter.GetLayout(0, -1, {}, root);
        QStringList rows;
        labels.clear();
        for (const DBusMenuLayoutItem &child : std::as_const(root.children)) {
            const QString label = child.properties.value(QStringLiteral("label")).toString();
            labels.insert(child.id, label);
            if (child.properties.value(QStringLiteral("visible")).toBool()) {
                rows << (child.properties.value(QStringLiteral("enabled")).toBool() ? label
                                                                                    : u'(' + label + u')');
            }
        }
        return rows;
    };
    rows();
    const QList<int> entries = labels.keys();
    const QString twoLines = QStringLiteral("Cannot record as there are no input devices.");
    const struct
    {
        const char *what;
        std::function<void()> change;
        QStringList rows;
        // What the panel is told: the layout changed, or the labels of the lines that changed alone.
        bool layoutChanged;
        QStringList changedLines;
    } steps[] = {
        { "greyed without a reason", [&] { record->setEnabled(false); }, { "(Record)", "Quit" }, false, {} },
        { "given a reason", [&] { GreyedReason::set(*record, QStringLiteral("No_input.")); },
            { "(Record)", "(No__input.)", "Quit" }, true, {} },
        { "another reason", [&] { GreyedReason::set(*record, QStringLiteral("Gone.")); },
            { "(Record)", "(Gone.)", "Quit" }, false, { "Gone." } },
        { "the same reason again", [&] { GreyedReason::set(*record, QStringLiteral("Gone.")); },
            { "(Record)", "(Gone.)", "Quit" }, false, {} },
        { "a reason of two lines", [&] { GreyedReason::set(*record, twoLines); },
            { "(Record)", "(Cannot record as there)", "(are no input devices.)", "Quit" }, true, {} },
        { "hidden", [&] { record->setVisible(false); }, { "Quit" }, true, {} },
        { "shown again", [&] { record->setVisible(true); },
            { "(Record)", "(Cannot record as there)", "(are no input devices.)", "Quit" }, true, {} },
        { "enabled", [&] { record->setEnabled(true); }, { "Record", "Quit" }, true, {} },
        { "greyed again", [&] { record->setEnabled(false); },
            { "(Record)", "(Cannot record as there)", "(are no input devices.)", "Quit" }, true, {} },
        { "a description for its tooltip", [&] { record->setToolTip(QStringLiteral("Records.")); },
            { "(Record)", "Quit" }, true, {} },
        { "that tooltip made its reason", [&] { GreyedReason::set(*record, QStringLiteral("Records.")); },
            { "(Record)", "(Records.)", "Quit" }, true, {} },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        revisions.clear();
        updates.clear();
        DBusMenuLayoutItem root;
        const uint before = exporter.GetLayout(0, 0, {}, root);
        step.change();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(rows(), step.rows);
        if (step.layoutChanged) {
            ASSERT_EQ(revisions.size(), 1);
            EXPECT_GT(revisions.constFirst(), before);
        } else {
            EXPECT_TRUE(revisions.isEmpty());
        }
        // A line whose text changed is announced under the id it has in the layout.
        QStringList changedLines;
        for (const DBusMenuItem &update : std::as_const(updates)) {
            if (!entries.contains(update.id)) {
                changedLines << update.properties.value(QStringLiteral("label")).toString();
                EXPECT_EQ(labels.value(update.id), changedLines.constLast());
                EXPECT_EQ(update.properties.value(QStringLiteral("enabled")), false);
            }
        }
        EXPECT_EQ(changedLines, step.changedLines);
        // The menu on the screen: its own two entries, the reason only as the tooltip.
        EXPECT_EQ(menu.actions().size(), 2);
    }
    EXPECT_EQ(record->toolTip(), QStringLiteral("Records."));
}

} // namespace
