#include "kit/ui/ListEditing.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

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
