#include "kit/ui/ListEditing.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QList>
#include <QListView>
#include <QMimeData>
#include <QPointer>
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

// A list view showing a bound collection, shown again after every write, as its owner would.
struct ShownList
{
    Strings value { "a", "b", "c", "d", "e" };
    int writes = 0;
    QStringListModel model;
    QListView view;

    ShownList()
    {
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        refresh();
        view.resize(200, 300);
        view.show();
    }

    void refresh() { model.setStringList(QStringList(value.begin(), value.end())); }

    Binding<Strings> binding()
    {
        return { [this] { return value; },
            [this](const Strings &items) {
                value = items;
                ++writes;
                refresh();
            },
            {} };
    }

    QRect rowRect(int row) const { return view.visualRect(model.index(row)); }

    // As the user picks rows: a click on the first, Control-clicks on the others.
    void select(const ListEditing::Offsets &rows)
    {
        view.clearSelection();
        Qt::KeyboardModifiers modifiers;
        for (const int row : rows) {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, rowRect(row).center());
            modifiers = Qt::ControlModifier;
        }
    }

    // Presses the selected `row` and pulls it until a drag starts; the data that drag carries.
    std::unique_ptr<QMimeData> dragFrom(int row)
    {
        // The drag is still being built when it is added: it is told apart once it is made.
        struct ChildCatcher : QObject
        {
            std::vector<QPointer<QObject>> added;
            QDrag *drag() const
            {
                for (const auto &child : added) {
                    if (auto *drag = qobject_cast<QDrag *>(child.data())) {
                        return drag;
                    }
                }
                return nullptr;
            }
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::ChildAdded) {
                    added.emplace_back(static_cast<QChildEvent *>(event)->child());
                }
                return false;
            }
        } catcher;
        view.installEventFilter(&catcher);
        const QPoint start = rowRect(row).center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
        for (int step = 1; step <= 4 && !catcher.drag(); ++step) {
            QMouseEvent pull(QEvent::MouseMove, start + QPoint(step * QApplication::startDragDistance(), 0),
                view.viewport()->mapToGlobal(start), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &pull);
        }
        view.removeEventFilter(&catcher);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, start);
        const QDrag *drag = catcher.drag();
        if (!drag || !drag->mimeData()) {
            return nullptr;
        }
        auto copy = std::make_unique<QMimeData>();
        for (const QString &format : drag->mimeData()->formats()) {
            copy->setData(format, drag->mimeData()->data(format));
        }
        return copy;
    }

    // A drag of `data` entering the list, moving to `point` and dropped there; whether the list
    // took the drop.
    bool drop(const QMimeData &data, QPoint point)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        if (!enter.isAccepted() || !move.isAccepted()) {
            return false;
        }
        QDropEvent dropped(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &dropped);
        return dropped.isAccepted();
    }

    // In the upper or lower half of a row, or below the last row.
    QPoint at(int row, bool lowerHalf) const
    {
        if (row >= static_cast<int>(value.size())) {
            return rowRect(static_cast<int>(value.size()) - 1).bottomLeft() + QPoint(5, 20);
        }
        const QRect rect = rowRect(row);
        return QPoint(rect.center().x(), lowerHalf ? rect.bottom() - 1 : rect.top() + 1);
    }
};

TEST(ListGesturesTest, DeleteAndBackspaceDeleteTheSelectedRowsInOneWrite)
{
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
             Case { Qt::Key_Delete, Qt::ShiftModifier, { 2 }, { "a", "b", "c", "d", "e" } },
             Case { Qt::Key_X, {}, { 2 }, { "a", "b", "c", "d", "e" } },
             Case { Qt::Key_Delete, {}, {}, { "a", "b", "c", "d", "e" } } }) {
        ShownList list;
        ListEditing::handleDelete(&list.view, list.binding());
        list.select(c.selected);
        QTest::keyClick(&list.view, c.key, c.modifiers);
        SCOPED_TRACE(testing::Message() << "key " << c.key << ", " << c.selected.size() << " selected");
        EXPECT_EQ(list.value, c.after);
        EXPECT_EQ(list.writes, c.after.size() < 5 ? 1 : 0);
    }
}

TEST(ListGesturesTest, SelectedRowsDraggedWithinTheListMoveBeforeTheDropRow)
{
    struct Case
    {
        ListEditing::Offsets selected;
        int pressed;
        int dropRow;
        bool lowerHalf;
        Strings after;
    };
    for (const Case &c : { Case { { 0 }, 0, 3, true, { "b", "c", "d", "a", "e" } },
             Case { { 4 }, 4, 0, false, { "e", "a", "b", "c", "d" } },
             Case { { 1, 3 }, 3, 5, false, { "a", "c", "e", "b", "d" } },
             Case { { 2 }, 2, 2, true, { "a", "b", "c", "d", "e" } } }) {
        ShownList list;
        ListEditing::handleMoveAndDelete(&list.view, list.binding());
        list.select(c.selected);
        const auto dragged = list.dragFrom(c.pressed);
        ASSERT_NE(dragged, nullptr);
        SCOPED_TRACE(testing::Message() << c.selected.size() << " rows to " << c.dropRow);
        EXPECT_EQ(list.writes, 0) << "pulling the rows changes nothing yet";
        EXPECT_TRUE(list.drop(*dragged, list.at(c.dropRow, c.lowerHalf)));
        EXPECT_EQ(list.value, c.after);
        EXPECT_EQ(list.writes, 1);
    }

    // Rows dragged from another list, and text where only rows are moved, are not this list's.
    ShownList list;
    ShownList other;
    ListEditing::handleMove(&list.view, list.binding());
    ListEditing::handleMove(&other.view, other.binding());
    other.select({ 0 });
    const auto fromOther = other.dragFrom(0);
    ASSERT_NE(fromOther, nullptr);
    QMimeData text;
    text.setText(QStringLiteral("a"));
    EXPECT_FALSE(list.drop(*fromOther, list.at(2, false)));
    EXPECT_FALSE(list.drop(text, list.at(2, false)));
    EXPECT_EQ(list.writes + other.writes, 0);
}

TEST(ListGesturesTest, DropsOfTheGivenTypesInsertWhereTheyLand)
{
    const auto split = [](const QMimeData &data) {
        Strings parts;
        for (const QString &part : data.text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            parts.push_back(part);
        }
        return parts;
    };
    struct Case
    {
        QString format;
        QByteArray content;
        int dropRow;
        bool lowerHalf;
        bool accepted;
        Strings after;
    };
    for (const Case &c :
        { Case { "text/plain", "x,y", 1, false, true, { "a", "x", "y", "b", "c", "d", "e" } },
            Case { "text/plain", "z", 1, true, true, { "a", "b", "z", "c", "d", "e" } },
            Case { "text/plain", "z", 5, false, true, { "a", "b", "c", "d", "e", "z" } },
            Case { "text/plain", "", 2, false, true, { "a", "b", "c", "d", "e" } },
            Case { "text/html", "<b>x</b>", 2, false, false, { "a", "b", "c", "d", "e" } } }) {
        ShownList list;
        ListEditing::handleInsert(&list.view, list.binding(), { QStringLiteral("text/plain") }, split);
        QMimeData data;
        data.setData(c.format, c.content);
        SCOPED_TRACE(c.format.toStdString() + " " + c.content.toStdString());
        EXPECT_EQ(list.drop(data, list.at(c.dropRow, c.lowerHalf)), c.accepted);
        EXPECT_EQ(list.value, c.after);
        EXPECT_EQ(list.writes, c.accepted ? 1 : 0) << "a drop that brings nothing still writes once";
    }
}

} // namespace
