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

} // namespace

namespace {

// A list view showing the recorded collection; each case makes a single gesture, so the model
// need not follow the writes.
struct ShownList : Recorded
{
    QStringListModel model { QStringList(value.begin(), value.end()) };
    QListView view;

    ShownList()
    {
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
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

    // Presses `row` and pulls it until a drag starts; a copy of the data that drag carries.
    std::unique_ptr<QMimeData> dragFrom(int row)
    {
        const QPoint start = rowRect(row).center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
        for (int step = 1; step <= 4 && !view.findChild<QDrag *>(); ++step) {
            QMouseEvent pull(QEvent::MouseMove, start + QPoint(step * QApplication::startDragDistance(), 0),
                view.viewport()->mapToGlobal(start), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &pull);
        }
        const QDrag *drag = view.findChild<QDrag *>();
        auto copy = std::make_unique<QMimeData>();
        for (const QString &format : drag ? drag->mimeData()->formats() : QStringList()) {
            copy->setData(format, drag->mimeData()->data(format));
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
        if (row >= model.rowCount()) {
            return rowRect(model.rowCount() - 1).bottomLeft() + QPoint(5, 20);
        }
        const QRect rect = rowRect(row);
        return QPoint(rect.center().x(), lowerHalf ? rect.bottom() - 1 : rect.top() + 1);
    }
};

TEST(ListGesturesTest, DeleteAndBackspaceDeleteTheSelectedRowsInOneWrite)
{
    const Strings all { "a", "b", "c", "d", "e" };
    struct Case
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        ListEditing::Offsets selected;
        Strings after;
    };
    for (const Case &c : { Case { Qt::Key_Delete, {}, { 1, 3 }, { "a", "c", "e" } },
             Case { Qt::Key_Backspace, {}, { 0 }, { "b", "c", "d", "e" } },
             Case { Qt::Key_Delete, Qt::KeypadModifier, { 4 }, { "a", "b", "c", "d" } },
             Case { Qt::Key_Delete, Qt::ShiftModifier, { 2 }, all }, Case { Qt::Key_X, {}, { 2 }, all },
             Case { Qt::Key_Delete, {}, {}, all } }) {
        ShownList list;
        ListEditing::handleDelete(&list.view, list.binding());
        list.select(c.selected);
        QTest::keyClick(&list.view, c.key, c.modifiers);
        EXPECT_EQ(list.value, c.after) << "key " << c.key << ", " << c.selected.size() << " selected";
        EXPECT_EQ(list.writes, c.after == all ? 0 : 1);
    }
}

TEST(ListGesturesTest, SelectedRowsDraggedWithinTheListMoveBeforeTheDropRow)
{
    struct Case
    {
        ListEditing::Offsets selected;
        int dropRow;
        bool lowerHalf;
        Strings after;
    };
    for (const Case &c : { Case { { 0 }, 3, true, { "b", "c", "d", "a", "e" } },
             Case { { 4 }, 0, false, { "e", "a", "b", "c", "d" } },
             Case { { 1, 3 }, 5, false, { "a", "c", "e", "b", "d" } } }) {
        ShownList list;
        ListEditing::handleMoveAndDelete(&list.view, list.binding());
        list.select(c.selected);
        const auto dragged = list.dragFrom(*c.selected.rbegin());
        EXPECT_EQ(list.writes, 0) << "pulling the rows changes nothing yet";
        EXPECT_TRUE(list.drop(*dragged, list.at(c.dropRow, c.lowerHalf)));
        EXPECT_EQ(list.value, c.after) << c.selected.size() << " rows to " << c.dropRow;
        EXPECT_EQ(list.writes, 1);
    }

    // Rows dragged from another list, and text where only rows are moved, are not this list's.
    ShownList list;
    ShownList other;
    ListEditing::handleMove(&list.view, list.binding());
    ListEditing::handleMove(&other.view, other.binding());
    other.select({ 0 });
    const auto fromOther = other.dragFrom(0);
    ASSERT_FALSE(fromOther->formats().isEmpty());
    QMimeData text;
    text.setText(QStringLiteral("a"));
    EXPECT_FALSE(list.drop(*fromOther, list.at(2, false)));
    EXPECT_FALSE(list.drop(text, list.at(2, false)));
    EXPECT_EQ(list.writes + other.writes, 0);
}

TEST(ListGesturesTest, DropsOfTheGivenTypesInsertWhereTheyLand)
{
    for (const auto &[format, accepted] : { std::pair { "text/plain", true }, { "text/html", false } }) {
        ShownList list;
        ListEditing::handleInsert(
            &list.view, list.binding(), { QStringLiteral("text/plain") }, [](const QMimeData &data) {
                return Strings { QString::fromLatin1(data.data(QStringLiteral("text/plain"))) };
            });
        QMimeData data;
        data.setData(QString::fromLatin1(format), "x");
        EXPECT_EQ(list.drop(data, list.at(1, false)), accepted) << format;
        EXPECT_EQ(list.value.at(1), accepted ? "x" : "b") << format;
    }
}

} // namespace
