#pragma once

#include <QTableView>

#include <optional>

// A table whose selection follows the pointer: the row under it becomes the selected row. The
// arrow keys wrap around at the ends, Return acts on the selected row as a click on it would, and
// the selection can be cleared when the pointer leaves. One row is selected at a time.
class HoverableTableView : public QTableView
{
    Q_OBJECT

public:
    explicit HoverableTableView(QWidget *parent = nullptr);

    // False clears the selection when the pointer leaves the table.
    bool keepSelection = true;
    // Up on the first row goes to the last one and Down on the last to the first.
    bool shouldCycle = true;
    // A row wrapped to is centred in the view rather than just scrolled into it.
    bool centerSelectedRow = false;

    int selectedRow() const;
    // The row and column of the last click, or of the selected row while Return acts on it; -1
    // when there is none.
    int clickedRow() const;
    int clickedColumn() const;

    void setModel(QAbstractItemModel *model) override;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectOnly(int row);
    void wrapTo(int row);
    void rememberSelection();
    void restoreSelection();

    std::optional<int> m_keyboardClickedRow;
    std::optional<int> m_keyboardClickedColumn;
    int m_lastClickedRow = -1;
    int m_lastClickedColumn = -1;
    int m_rowBeforeReload = -1;
};
