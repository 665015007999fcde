#include "kit/foundation/objects/AssociatedValueStore.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

using Slots = std::unordered_map<const void *, std::unique_ptr<AssociatedValueStore::Slot>>;

struct Store
{
    // Recursive: a value's code run under the lock may read other associations.
    std::recursive_mutex mutex;
    std::unordered_map<const QObject *, Slots> slotsByObject;
};

Store &store()
{
    // Never destroyed: objects may still die while static objects are torn down.
    static auto *instance = new Store;
    return *instance;
}

void releaseSlotsOf(const QObject *object)
{
    Slots released;
    {
        std::lock_guard guard(store().mutex);
        const auto found = store().slotsByObject.find(object);
        if (found == store().slotsByObject.end()) {
            return;
        }
        released = std::move(found->second);
        store().slotsByObject.erase(found);
    }
    // Destructors run unlocked, so they may attach values to other objects.
    released.clear();
}

// The object's slots, watching the object for its end when they are new. Locked by the caller.
Slots &slotsOf(QObject *object)
{
    const auto [entry, isNew] = store().slotsByObject.try_emplace(object);
    if (isNew) {
        QObject::connect(object, &QObject::destroyed, [object] { releaseSlotsOf(object); });
    }
    return entry->second;
}

} // namespace

void AssociatedValueStore::read(
    const QObject *object, const void *key, const std::function<void(Slot *)> &use)
{
    std::lock_guard guard(store().mutex);
    const auto found = store().slotsByObject.find(object);
    if (found == store().slotsByObject.end()) {
        use(nullptr);
        return;
    }
    const auto slot = found->second.find(key);
    use(slot == found->second.end() ? nullptr : slot->second.get());
}

void AssociatedValueStore::modify(QObject *object, const void *key,
    const std::function<std::unique_ptr<Slot>()> &make, const std::function<void(Slot &)> &use)
{
    std::lock_guard guard(store().mutex);
    std::unique_ptr<Slot> &slot = slotsOf(object)[key];
    if (!slot) {
        slot = make();
    }
    use(*slot);
}

void AssociatedValueStore::replace(QObject *object, const void *key, std::unique_ptr<Slot> slot)
{
    {
        std::lock_guard guard(store().mutex);
        std::swap(slotsOf(object)[key], slot);
    }
    slot.reset();
}
