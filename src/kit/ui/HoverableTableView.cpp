#include "kit/ui/HoverableTableView.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>

HoverableTableView::HoverableTableView(QWidget *parent)
    : QTableView(parent)
{
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int HoverableTableView::selectedRow() const
{
    if (!selectionModel()) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int HoverableTableView::clickedRow() const
{
    return m_keyboardClickedRow.value_or(m_lastClickedRow);
}

int HoverableTableView::clickedColumn() const
{
    return m_keyboardClickedColumn.value_or(m_lastClickedColumn);
}

void HoverableTableView::setModel(QAbstractItemModel *model)
{
    if (this->model()) {
        disconnect(this->model(), nullptr, this, nullptr);
    }
    QTableView::setModel(model);
    if (!model) {
        return;
    }
    // A reload keeps the selected index, moved onto the last row when the rows now end before it.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &HoverableTableView::rememberSelection);
    connect(model, &QAbstractItemModel::modelReset, this, &HoverableTableView::restoreSelection);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &HoverableTableView::rememberSelection);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &HoverableTableView::restoreSelection);
}

void HoverableTableView::rememberSelection()
{
    m_rowBeforeReload = selectedRow();
}

void HoverableTableView::restoreSelection()
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    selectOnly(std::min(m_rowBeforeReload, rows - 1));
}

void HoverableTableView::selectOnly(int row)
{
    if (!selectionModel()) {
        return;
    }
    const QModelIndex index = model()->index(row, 0, rootIndex());
    if (!index.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void HoverableTableView::mouseMoveEvent(QMouseEvent *event)
{
    QTableView::mouseMoveEvent(event);
    const int row = rowAt(event->position().toPoint().y());
    if (row != -1 && row != selectedRow()) {
        selectOnly(row);
    }
}

void HoverableTableView::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    const QPoint position = event->position().toPoint();
    m_lastClickedRow = rowAt(position.y());
    m_lastClickedColumn = m_lastClickedRow == -1 ? -1 : columnAt(position.x());
    selectOnly(m_lastClickedRow);
}

void HoverableTableView::leaveEvent(QEvent *event)
{
    QTableView::leaveEvent(event);
    if (!keepSelection && selectionModel()) {
        selectionModel()->clearSelection();
    }
}

void HoverableTableView::keyPressEvent(QKeyEvent *event)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int selected = selectedRow();
    switch (event->key()) {
    case Qt::Key_Down:
        if (rows > 0 && selected == rows - 1) {
            wrapTo(0);
            return;
        }
        break;
    case Qt::Key_Up:
        if (rows > 0 && selected == 0) {
            wrapTo(rows - 1);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        selectOnly(selected);
        if (selected != -1 && isSignalConnected(QMetaMethod::fromSignal(&QAbstractItemView::clicked))) {
            const int column = std::max(currentIndex().column(), 0);
            m_keyboardClickedRow = selected;
            m_keyboardClickedColumn = column;
            Q_EMIT clicked(model()->index(selected, column, rootIndex()));
            m_keyboardClickedRow.reset();
            m_keyboardClickedColumn.reset();
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void HoverableTableView::wrapTo(int row)
{
    if (!shouldCycle) {
        return;
    }
    selectOnly(row);
    scrollTo(model()->index(row, 0, rootIndex()),
        centerSelectedRow ? QAbstractItemView::PositionAtCenter : QAbstractItemView::EnsureVisible);
}
