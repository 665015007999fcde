#include "kit/ui/ListGestures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// What a drag of rows carries: which view's gestures started it, and the rows.
constexpr char rowsMimeType[] = "application/x-tapewick-list-rows";

class ListGestures : public QObject
{
public:
    static ListGestures &of(QAbstractItemView *view)
    {
        for (QObject *child : view->children()) {
            if (auto *existing = dynamic_cast<ListGestures *>(child)) {
                return *existing;
            }
        }
        return *new ListGestures(view);
    }

    std::function<void(const ListEditing::Offsets &, int)> move;
    std::function<void(const ListEditing::Offsets &)> remove;
    QStringList insertTypes;
    std::function<void(int, const QMimeData &)> insert;

    void acceptDrops() { m_view->viewport()->setAcceptDrops(true); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::KeyPress) {
            return keyPressed(*static_cast<QKeyEvent *>(event));
        }
        if (watched != m_view->viewport()) {
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            pressed(*static_cast<QMouseEvent *>(event));
            return false;
        case QEvent::MouseMove:
            return dragStarted(*static_cast<QMouseEvent *>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
            return dragMoved(*static_cast<QDragMoveEvent *>(event));
        case QEvent::Drop:
            return dropped(*static_cast<QDropEvent *>(event));
        default:
            return false;
        }
    }

private:
    explicit ListGestures(QAbstractItemView *view)
        : QObject(view)
        , m_view(view)
        , m_token(QByteArray::number(QCoreApplication::applicationPid()) + ':'
              + QByteArray::number(reinterpret_cast<quintptr>(this)))
    {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }

    bool keyPressed(const QKeyEvent &event) const
    {
        const bool deleteKey = event.key() == Qt::Key_Delete || event.key() == Qt::Key_Backspace;
        if (!remove || !deleteKey || (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        if (const ListEditing::Offsets offsets = selectedOffsets(); !offsets.empty()) {
            remove(offsets);
        }
        return true;
    }

    void pressed(const QMouseEvent &event)
    {
        const QModelIndex index = m_view->indexAt(event.position().toPoint());
        m_dragFrom = event.button() == Qt::LeftButton && index.isValid()
            ? std::optional(event.position().toPoint())
            : std::nullopt;
    }

    // Rows pressed and pulled far enough start a drag of the selected rows, in place of the
    // view's own drag, which would change the model itself.
    bool dragStarted(const QMouseEvent &event)
    {
        if (!move || !m_dragFrom || !(event.buttons() & Qt::LeftButton)) {
            return false;
        }
        if ((event.position().toPoint() - *m_dragFrom).manhattanLength()
            < QApplication::startDragDistance()) {
            return false;
        }
        m_dragFrom.reset();
        const ListEditing::Offsets offsets = selectedOffsets();
        if (offsets.empty()) {
            return false;
        }
        QStringList rows;
        for (const int offset : offsets) {
            rows.append(QString::number(offset));
        }
        auto *data = new QMimeData;
        data->setData(QLatin1String(rowsMimeType), m_token + '\n' + rows.join(u',').toLatin1());
        auto *drag = new QDrag(m_view);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
        return true;
    }

    bool dragMoved(QDragMoveEvent &event) const
    {
        if (ownRows(*event.mimeData()) && move) {
            event.setDropAction(Qt::MoveAction);
            event.accept();
            return true;
        }
        if (isInsertable(*event.mimeData())) {
            event.acceptProposedAction();
            return true;
        }
        return false;
    }

    bool dropped(QDropEvent &event) const
    {
        const int position = dropPosition(event.position().toPoint());
        if (const auto rows = ownRows(*event.mimeData()); rows && move) {
            event.setDropAction(Qt::MoveAction);
            event.accept();
            move(*rows, position);
            return true;
        }
        if (isInsertable(*event.mimeData())) {
            event.acceptProposedAction();
            insert(position, *event.mimeData());
            return true;
        }
        return false;
    }

    bool isInsertable(const QMimeData &data) const
    {
        return insert && std::any_of(insertTypes.begin(), insertTypes.end(), [&](const QString &type) {
            return data.hasFormat(type);
        });
    }

    // The rows a drag from this view carries; none for any other drag.
    std::optional<ListEditing::Offsets> ownRows(const QMimeData &data) const
    {
        const QList<QByteArray> parts = data.data(QLatin1String(rowsMimeType)).split('\n');
        if (parts.size() != 2 || parts.at(0) != m_token) {
            return std::nullopt;
        }
        ListEditing::Offsets rows;
        for (const QByteArray &row : parts.at(1).split(',')) {
            rows.insert(row.toInt());
        }
        return rows;
    }

    ListEditing::Offsets selectedOffsets() const
    {
        ListEditing::Offsets offsets;
        if (const QItemSelectionModel *selection = m_view->selectionModel()) {
            for (const QModelIndex &index : selection->selectedIndexes()) {
                if (index.parent() == m_view->rootIndex()) {
                    offsets.insert(index.row());
                }
            }
        }
        return offsets;
    }

    // Before the row under the point, or after it in its second half; after the last row below it.
    int dropPosition(const QPoint &point) const
    {
        const QModelIndex index = m_view->indexAt(point);
        if (!index.isValid()) {
            return m_view->model() ? m_view->model()->rowCount(m_view->rootIndex()) : 0;
        }
        const QRect rect = m_view->visualRect(index);
        const auto *list = qobject_cast<const QListView *>(m_view);
        const bool across = list && list->flow() == QListView::LeftToRight;
        const bool secondHalf = across ? point.x() > rect.center().x() : point.y() > rect.center().y();
        return index.row() + (secondHalf ? 1 : 0);
    }

    QAbstractItemView *m_view;
    QByteArray m_token;
    std::optional<QPoint> m_dragFrom;
};

} // namespace

namespace ListEditing {

void onMove(QAbstractItemView *view, std::function<void(const Offsets &, int)> action)
{
    ListGestures &gestures = ListGestures::of(view);
    gestures.move = std::move(action);
    gestures.acceptDrops();
}

void onDelete(QAbstractItemView *view, std::function<void(const Offsets &)> action)
{
    ListGestures::of(view).remove = std::move(action);
}

void onInsert(
    QAbstractItemView *view, const QStringList &mimeTypes, std::function<void(int, const QMimeData &)> action)
{
    ListGestures &gestures = ListGestures::of(view);
    gestures.insertTypes = mimeTypes;
    gestures.insert = std::move(action);
    gestures.acceptDrops();
}

} // namespace ListEditing
