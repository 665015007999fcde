#pragma once

#include <QStringList>

#include <functional>
#include <set>

class QAbstractItemView;
class QMimeData;

// The gestures that edit a list through its item view, each handing its offsets to an action
// instead of changing the model itself: the owner of the collection the rows show changes it,
// and the view follows. Row r of the view's model is offset r of that collection. Attaching a
// gesture again replaces its action.
namespace ListEditing {

using Offsets = std::set<int>;

// The view's selected rows, dragged and dropped within the same view, go before the row at
// `destination` (the row count when dropped after the last row).
void onMove(QAbstractItemView *view, std::function<void(const Offsets &source, int destination)> action);

// The Delete or Backspace key in the view deletes the selected rows; nothing selected, nothing
// happens.
void onDelete(QAbstractItemView *view, std::function<void(const Offsets &offsets)> action);

// Data dropped on the view that carries one of `mimeTypes` is inserted at the row where it is
// dropped; other drops are left to the view.
void onInsert(QAbstractItemView *view, const QStringList &mimeTypes,
    std::function<void(int position, const QMimeData &data)> action);

} // namespace ListEditing
