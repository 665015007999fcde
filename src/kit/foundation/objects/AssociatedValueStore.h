#pragma once

#include <QObject>

#include <functional>
#include <memory>

// The values attached to objects, one slot per (object, association). Slots are released when
// their object is destroyed. Every function may be called from any thread.
class AssociatedValueStore
{
public:
    class Slot
    {
    public:
        virtual ~Slot() = default;
    };

    // Runs `use` on the object's slot for `key` (null when there is none) with the store locked;
    // `use` may read and change the slot in place but must not keep the pointer.
    static void read(const QObject *object, const void *key, const std::function<void(Slot *)> &use);
    // Like read, making the slot with `make` first when there is none.
    static void modify(QObject *object, const void *key, const std::function<std::unique_ptr<Slot>()> &make,
        const std::function<void(Slot &)> &use);
    // Replaces the slot; the old value is released after the store is unlocked.
    static void replace(QObject *object, const void *key, std::unique_ptr<Slot> slot);
};
