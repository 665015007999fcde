#pragma once

#include "kit/foundation/objects/Binding.h"
#include "kit/ui/ListGestures.h"

#include <algorithm>
#include <vector>

// Moves, deletions and drops of list rows applied to the bound collection the rows
// show. Each reads the collection, changes a copy and writes it back in one
// assignment, so observers see one change per gesture. Offsets outside the
// collection are ignored.
namespace ListEditing {

// `items` with `inserted` placed before the element at `position`.
template<typename Container, typename Inserted>
Container spliced(const Container &items, int position, const Inserted &inserted)
{
    Container result;
    int index = 0;
    auto appendInserted = [&] {
        for (const auto &item : inserted) {
            result.insert(std::end(result), item);
        }
    };
    for (const auto &item : items) {
        if (index++ == position) {
            appendInserted();
        }
        result.insert(std::end(result), item);
    }
    if (position >= index) {
        appendInserted();
    }
    return result;
}

// The rows at `source` go, in their order, before the row that was at `destination`
// (the end when it equals the count).
template<typename Container>
void moveOffsets(Container &items, const Offsets &source, int destination)
{
    const int count = static_cast<int>(std::size(items));
    destination = std::clamp(destination, 0, count);
    Container moved;
    Container kept;
    int keptBeforeDestination = 0;
    int index = 0;
    for (auto it = std::begin(items); it != std::end(items); ++it, ++index) {
        if (source.count(index)) {
            moved.insert(std::end(moved), *it);
        } else {
            kept.insert(std::end(kept), *it);
            keptBeforeDestination += index < destination ? 1 : 0;
        }
    }
    items = spliced(kept, keptBeforeDestination, moved);
}

template<typename Container>
void removeOffsets(Container &items, const Offsets &offsets)
{
    Container kept;
    int index = 0;
    for (auto it = std::begin(items); it != std::end(items); ++it, ++index) {
        if (!offsets.count(index)) {
            kept.insert(std::end(kept), *it);
        }
    }
    items = std::move(kept);
}

template<typename Container>
void handleMove(const Binding<Container> &binding, const Offsets &source, int destination)
{
    Container items = binding.value();
    moveOffsets(items, source, destination);
    binding.setValue(items);
}

template<typename Container>
void handleDelete(const Binding<Container> &binding, const Offsets &offsets)
{
    Container items = binding.value();
    removeOffsets(items, offsets);
    binding.setValue(items);
}

// Both gestures on one bound collection: each move and each deletion is one write of its own,
// a deletion applying to the rows as the moves before it left them.
template<typename Container>
struct MoveAndDeleteHandlers
{
    Binding<Container> binding;

    void move(const Offsets &source, int destination) const { handleMove(binding, source, destination); }
    void remove(const Offsets &offsets) const { handleDelete(binding, offsets); }
};

template<typename Container>
MoveAndDeleteHandlers<Container> handleMoveAndDelete(const Binding<Container> &binding)
{
    return { binding };
}

// Inserts what `transform` makes of the dropped data at `position` (clamped to the
// collection), in the order returned; nothing returned writes the collection back unchanged.
template<typename Container, typename Dropped, typename Transform>
void handleInsert(
    const Binding<Container> &binding, int position, const Dropped &dropped, Transform transform)
{
    const Container items = binding.value();
    const auto inserted = transform(dropped);
    binding.setValue(spliced(items, std::clamp(position, 0, static_cast<int>(std::size(items))), inserted));
}

// The gestures of `view` applied to the collection its rows show.
template<typename Container>
void handleMove(QAbstractItemView *view, const Binding<Container> &binding)
{
    onMove(view,
        [binding](const Offsets &source, int destination) { handleMove(binding, source, destination); });
}

template<typename Container>
void handleDelete(QAbstractItemView *view, const Binding<Container> &binding)
{
    onDelete(view, [binding](const Offsets &offsets) { handleDelete(binding, offsets); });
}

template<typename Container>
void handleMoveAndDelete(QAbstractItemView *view, const Binding<Container> &binding)
{
    handleMove(view, binding);
    handleDelete(view, binding);
}

// `transform` makes the elements to insert of the dropped data.
template<typename Container, typename Transform>
void handleInsert(QAbstractItemView *view, const Binding<Container> &binding, const QStringList &mimeTypes,
    Transform transform)
{
    onInsert(view, mimeTypes, [binding, transform](int position, const QMimeData &data) {
        handleInsert(binding, position, data, transform);
    });
}

} // namespace ListEditing
