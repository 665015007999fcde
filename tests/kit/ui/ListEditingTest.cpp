#include "kit/ui/ListEditing.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

namespace {

struct Recorded
{
    std::vector<QString> value { "a", "b", "c", "d", "e" };
    int writes = 0;

    Binding<std::vector<QString>> binding()
    {
        return { [this] { return value; },
            [this](const std::vector<QString> &items) {
                value = items;
                ++writes;
            },
            {} };
    }
};

using Strings = std::vector<QString>;

TEST(ListEditingTest, MoveGoesBeforeTheDestinationRow)
{
    Recorded list;
    ListEditing::handleMove(list.binding(), { 0 }, 3);
    EXPECT_EQ(list.value, (Strings { "b", "c", "a", "d", "e" }));
    EXPECT_EQ(list.writes, 1);

    ListEditing::handleMove(list.binding(), { 4 }, 0);
    EXPECT_EQ(list.value, (Strings { "e", "b", "c", "a", "d" }));

    ListEditing::handleMove(list.binding(), { 1, 3 }, 5);
    EXPECT_EQ(list.value, (Strings { "e", "c", "d", "b", "a" }));
}

TEST(ListEditingTest, MoveToItsOwnPlaceStillWritesOnce)
{
    Recorded list;
    ListEditing::handleMove(list.binding(), { 2 }, 2);
    ListEditing::handleMove(list.binding(), { 2 }, 3);
    EXPECT_EQ(list.value, (Strings { "a", "b", "c", "d", "e" }));
    EXPECT_EQ(list.writes, 2);
}

TEST(ListEditingTest, DeletingSeveralRowsIsOneWrite)
{
    Recorded list;
    ListEditing::handleDelete(list.binding(), { 0, 2, 4, 9, -1 });
    EXPECT_EQ(list.value, (Strings { "b", "d" }));
    EXPECT_EQ(list.writes, 1);
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
    ListEditing::handleInsert(list.binding(), 7, QStringLiteral("z"), split);
    EXPECT_EQ(list.value.back(), QStringLiteral("z"));
    ListEditing::handleInsert(list.binding(), 2, QString(), split);
    EXPECT_EQ(list.value.size(), 8u);
    EXPECT_EQ(list.writes, 3);
}

TEST(ListEditingTest, WorksOnQtLists)
{
    QList<int> numbers { 1, 2, 3 };
    ListEditing::moveOffsets(numbers, { 2 }, 0);
    EXPECT_EQ(numbers, (QList<int> { 3, 1, 2 }));
    ListEditing::removeOffsets(numbers, { 1 });
    EXPECT_EQ(numbers, (QList<int> { 3, 2 }));
}

} // namespace
