#include "kit/ui/ListEditing.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QList>
#include <QListView>
#include <QMimeData>
#include <QString>
#include <QStringListModel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Strings = std::vector<QString>;

struct Recorded
{
    Strings value { "a", "b", "c", "d", "e" };
    int writes = 0;

    Binding<Strings> binding()
    {
        return { [this] { return value; },
            [this](const Strings &items) {
                value = items;
                ++writes;
            },
            {} };
    }
};

// Each gesture is one write, even one that changes nothing.
TEST(ListEditingTest, MovesGoBeforeTheDestinationRowAndDeletesSkipBadRows)
{
    struct Case
    {
        ListEditing::Offsets rows;
        std::optional<int> moveTo; // none deletes
        Strings after;
    };
    for (const Case &c :
        { Case { { 0 }, 3, { "b", "c", "a", "d", "e" } }, Case { { 4 }, 0, { "e", "a", "b", "c", "d" } },
            Case { { 1, 3 }, 5, { "a", "c", "e", "b", "d" } }, Case { { 2 }, 2, { "a", "b", "c", "d", "e" } },
            Case { { 2 }, 3, { "a", "b", "c", "d", "e" } },
            Case { { 0, 2, 4, 9, -1 }, std::nullopt, { "b", "d" } } }) {
        Recorded list;
        if (c.moveTo) {
            ListEditing::handleMove(list.binding(), c.rows, *c.moveTo);
        } else {
            ListEditing::handleDelete(list.binding(), c.rows);
        }
        EXPECT_EQ(list.value, c.after) << c.rows.size() << ' ' << c.moveTo.value_or(-1);
        EXPECT_EQ(list.writes, 1);
    }
}

TEST(ListEditingTest, DropInsertsInOrderAndAppendsAtTheEnd)
{
    Recorded list;
    auto split = [](const QString &text) {
        Strings parts;
        for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            parts.push_back(part);
        }
        return parts;
    };
    ListEditing::handleInsert(list.binding(), 1, QStringLiteral("x,y"), split);
    EXPECT_EQ(list.value, (Strings { "a", "x", "y", "b", "c", "d", "e" }));
    ListEditing::handleInsert(list.binding(), 70, QStringLiteral("z"), split);
    EXPECT_EQ(list.value.back(), QStringLiteral("z"));
    ListEditing::handleInsert(list.binding(), 2, QString(), split);
    EXPECT_EQ(list.value.size(), 8u);
    EXPECT_EQ(list.writes, 3);
}

TEST(ListEditingTest, HandlersDeleteAfterTheMoveAndWorkOnQtLists)
{
    Recorded list;
    const auto handlers = ListEditing::handleMoveAndDelete(list.binding());
    handlers.move({ 0 }, 5);
    handlers.remove({ 0 });
    EXPECT_EQ(list.value, (Strings { "c", "d", "e", "a" }));
    EXPECT_EQ(list.writes, 2);

    QList<int> numbers { 1, 2, 3 };
    ListEditing::moveOffsets(numbers, { 2 }, 0);
    EXPECT_EQ(numbers, (QList<int> { 3, 1, 2 }));
    ListEditing::removeOffsets(numbers, { 1 });
    EXPECT_EQ(numbers, (QList<int> { 3, 2 }));
}

// A list view showing the recorded collection; each case makes a single gesture, so the model
// need not follow the writes.
struct ShownList : Recorded
{
    QStringListModel model { QStringList(value.begin(), value.end()) };
    QListView view;

    ShownList()
    {
        view.setModel(&model);
        view.resize(200, 300);
        view.show();
    }

    QRect rowRect(int row) const { return view.visualRect(model.index(row)); }

    void select(const ListEditing::Offsets &rows)
    {
        for (const int row : rows) {
            view.selectionModel()->select(model.index(row), QItemSelectionModel::Select);
        }
    }

    // Presses `row` and pulls it far enough to start a drag; a copy of the data that drag carries.
    std::unique_ptr<QMimeData> dragFrom(int row)
    {
        const QPoint start = rowRect(row).center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
        QMouseEvent pull(QEvent::MouseMove, start + QPoint(2 * QApplication::startDragDistance(), 0),
            view.viewport()->mapToGlobal(start), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &pull);
        auto copy = std::make_unique<QMimeData>();
        if (const QDrag *drag = view.findChild<QDrag *>()) {
            for (const QString &format : drag->mimeData()->formats()) {
                copy->setData(format, drag->mimeData()->data(format));
            }
        }
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, start);
        return copy;
    }

    // Whether the list took `data` dragged to `point` and dropped there.
    bool drop(const QMimeData &data, QPoint point)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QApplication::sendEvent(view.viewport(), &move);
        return enter.isAccepted() && move.isAccepted() && QApplication::sendEvent(view.viewport(), &dropped)
            && dropped.isAccepted();
    }

    // In the upper or lower half of a row, or below the last row.
    QPoint at(int row, bool lowerHalf) const
    {
        const QRect rect
            = rowRect(std::min(row, model.rowCount() - 1)).translated(0, row < model.rowCount() ? 0 : 40);
        return lowerHalf ? rect.bottomLeft() + QPoint(5, -1) : rect.topLeft() + QPoint(5, 1);
    }
};

TEST(ListGesturesTest, DeleteAndBackspaceDeleteTheSelectedRowsInOneWrite)
{
    const Strings all { "a", "b", "c", "d", "e" };
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, ListEditing::Offsets, Strings> cases[] = {
        { Qt::Key_Delete, {}, { 1, 3 }, { "a", "c", "e" } },
        { Qt::Key_Backspace, {}, { 0 }, { "b", "c", "d", "e" } },
        { Qt::Key_Delete, Qt::KeypadModifier, { 4 }, { "a", "b", "c", "d" } },
        { Qt::Key_Delete, Qt::ShiftModifier, { 2 }, all },
        { Qt::Key_X, {}, { 2 }, all },
        { Qt::Key_Delete, {}, {}, all },
    };
    for (const auto &[key, modifiers, selected, after] : cases) {
        ShownList list;
        ListEditing::handleDelete(&list.view, list.binding());
        list.select(selected);
        QTest::keyClick(&list.view, key, modifiers);
        EXPECT_EQ(list.value, after) << "key " << key << ", " << selected.size() << " selected";
        EXPECT_EQ(list.writes, after == all ? 0 : 1);
    }
}

TEST(ListGesturesTest, RowsDraggedWithinTheListMoveAndOtherDropsInsertOnlyTheirTypes)
{
    const std::tuple<ListEditing::Offsets, int, bool, Strings> cases[] = {
        { { 0 }, 3, true, { "b", "c", "d", "a", "e" } },
        { { 4 }, 0, false, { "e", "a", "b", "c", "d" } },
        { { 1, 3 }, 5, false, { "a", "c", "e", "b", "d" } },
    };
    for (const auto &[selected, dropRow, lowerHalf, after] : cases) {
        ShownList list;
        ListEditing::handleMoveAndDelete(&list.view, list.binding());
        list.select(selected);
        const auto dragged = list.dragFrom(*selected.rbegin());
        EXPECT_EQ(list.writes, 0) << "pulling the rows changes nothing yet";
        EXPECT_TRUE(list.drop(*dragged, list.at(dropRow, lowerHalf)));
        EXPECT_EQ(list.value, after) << selected.size() << " rows to " << dropRow;
        EXPECT_EQ(list.writes, 1);
    }

    // Rows dragged from another list are not this list's; text is taken only where it is asked for.
    ShownList list;
    ShownList other;
    ListEditing::handleMove(&list.view, list.binding());
    ListEditing::handleMove(&other.view, other.binding());
    ListEditing::handleInsert(&other.view, other.binding(), { QStringLiteral("text/plain") },
        [](const QMimeData &data) { return Strings { data.text() }; });
    other.select({ 0 });
    const auto fromOther = other.dragFrom(0);
    ASSERT_FALSE(fromOther->formats().isEmpty());
    QMimeData text;
    text.setText(QStringLiteral("x"));
    QMimeData html;
    html.setHtml(QStringLiteral("<b>x</b>"));
    EXPECT_FALSE(list.drop(*fromOther, list.at(2, false)));
    EXPECT_FALSE(list.drop(text, list.at(2, false)));
    EXPECT_FALSE(other.drop(html, other.at(1, false)));
    EXPECT_TRUE(other.drop(text, other.at(1, false)));
    EXPECT_EQ(other.value, (Strings { "a", "x", "b", "c", "d", "e" }));
    EXPECT_EQ(list.writes, 0);
    EXPECT_EQ(other.writes, 1);
}

} // namespace
