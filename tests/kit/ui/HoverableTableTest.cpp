#include "kit/ui/HoverableTableView.h"

#include "EventLoop.h"

#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class HoverableTableTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int row = 0; row < 30; ++row) {
            m_model.appendRow({ new QStandardItem(QStringLiteral("row %1").arg(row)),
                new QStandardItem(QStringLiteral("b")) });
        }
        m_table.setModel(&m_model);
        m_table.resize(300, 200);
        m_table.show();
        m_table.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_table));
    }

    QPoint centreOfRow(int row) const
    {
        return QPoint(20, m_table.rowViewportPosition(row) + m_table.rowHeight(row) / 2);
    }
    void hover(const QPoint &position) { QTest::mouseMove(m_table.viewport(), position); }
    void press(Qt::Key key) { QTest::keyClick(&m_table, key); }

    QStandardItemModel m_model;
    HoverableTableView m_table;
};

TEST_F(HoverableTableTest, SelectionFollowsThePointer)
{
    for (const int row : { 0, 2, 1, 1 }) {
        hover(centreOfRow(row));
        EXPECT_EQ(m_table.selectedRow(), row);
    }
    // Below the last row: nothing there, the selection stays.
    m_model.removeRows(3, 27);
    hover(QPoint(20, m_table.viewport()->height() - 2));
    EXPECT_EQ(m_table.selectedRow(), 1);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&m_table, &leave);
    EXPECT_EQ(m_table.selectedRow(), 1);
    m_table.keepSelection = false;
    QApplication::sendEvent(&m_table, &leave);
    EXPECT_EQ(m_table.selectedRow(), -1);
}

TEST_F(HoverableTableTest, ArrowKeysWrapAtTheEndsOnlyWhenCycling)
{
    for (const auto &[cycle, from, key, to] : std::vector<std::tuple<bool, int, Qt::Key, int>> {
             { true, 29, Qt::Key_Down, 0 }, { true, 0, Qt::Key_Up, 29 }, { false, 29, Qt::Key_Down, 29 },
             { false, 5, Qt::Key_Down, 6 }, { false, 0, Qt::Key_Up, 0 } }) {
        m_table.shouldCycle = cycle;
        m_table.selectRow(from);
        press(key);
        EXPECT_EQ(m_table.selectedRow(), to) << from << ' ' << cycle;
        // The row wrapped to is scrolled into view.
        EXPECT_TRUE(!cycle
            || (to == 0 ? m_table.rowAt(0) == 0 : m_table.rowAt(m_table.viewport()->height() - 1) >= 28));
    }
}

TEST_F(HoverableTableTest, ReturnActsOnTheSelectedRowAsAClick)
{
    int clickedDuring = -2;
    QObject::connect(&m_table, &QAbstractItemView::clicked, [&](const QModelIndex &index) {
        clickedDuring = m_table.clickedRow();
        EXPECT_EQ(index.row(), clickedDuring);
    });
    m_table.selectRow(4);
    press(Qt::Key_Return);
    EXPECT_EQ(clickedDuring, 4);
    EXPECT_EQ(m_table.clickedRow(), -1);
    EXPECT_EQ(m_table.selectedRow(), 4);

    QTest::mouseClick(m_table.viewport(), Qt::LeftButton, {}, centreOfRow(2));
    EXPECT_EQ(clickedDuring, 2);
    EXPECT_EQ(m_table.clickedRow(), 2);
}

TEST_F(HoverableTableTest, RemovingRowsKeepsASelectionOnTheNewLastRow)
{
    m_table.selectRow(25);
    m_model.removeRows(10, 20);
    EXPECT_EQ(m_table.selectedRow(), 9);
    m_table.selectRow(3);
    m_model.removeRows(8, 2);
    EXPECT_EQ(m_table.selectedRow(), 3);
    m_model.clear();
    EXPECT_EQ(m_table.selectedRow(), -1);
}

} // namespace
