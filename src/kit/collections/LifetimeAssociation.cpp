#include "kit/collections/LifetimeAssociation.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

class LifetimeAssociation::ObjectLifetimeTracker
{
public:
    ObjectLifetimeTracker(std::shared_ptr<void> object, std::function<void()> deinitHandler)
        : m_object(std::move(object))
        , m_deinitHandler(std::move(deinitHandler))
    { }

    // The handler runs first; the object is released with the members after it.
    ~ObjectLifetimeTracker()
    {
        if (m_deinitHandler) {
            m_deinitHandler();
        }
    }

    std::shared_ptr<void> m_object;
    std::function<void()> m_deinitHandler;
};

namespace {

using Tracker = std::shared_ptr<void>;

// Each owner's trackers, in the order their ties were made; the only strong holders of them.
// An owner's entry lives from its first tie until its destruction, so it is watched once.
struct TrackerStore
{
    std::mutex mutex;
    std::unordered_map<const QObject *, std::vector<Tracker>> trackersByOwner;
};

TrackerStore &trackerStore()
{
    // Never destroyed: owners may still die while static objects are torn down.
    static auto *store = new TrackerStore;
    return *store;
}

void releaseTrackersOf(QObject *owner)
{
    std::vector<Tracker> trackers;
    {
        TrackerStore &store = trackerStore();
        std::lock_guard guard(store.mutex);
        const auto found = store.trackersByOwner.find(owner);
        if (found == store.trackersByOwner.end()) {
            return;
        }
        trackers = std::move(found->second);
        store.trackersByOwner.erase(found);
    }
    // Handlers run outside the store's lock: they may make or drop ties themselves.
    for (Tracker &tracker : trackers) {
        tracker.reset();
    }
}

} // namespace

LifetimeAssociation::LifetimeAssociation(
    std::shared_ptr<void> object, QObject *owner, std::function<void()> deinitHandler)
{
    if (!owner) {
        throw std::invalid_argument("LifetimeAssociation: no owner");
    }
    auto tracker = std::make_shared<ObjectLifetimeTracker>(std::move(object), std::move(deinitHandler));
    TrackerStore &store = trackerStore();
    {
        std::lock_guard guard(store.mutex);
        const auto [entry, firstTie] = store.trackersByOwner.try_emplace(owner);
        entry->second.push_back(tracker);
        if (firstTie) {
            // destroyed() is emitted even while the owner's signals are blocked.
            QObject::connect(owner, &QObject::destroyed, &releaseTrackersOf);
        }
    }
    m_wrappedObject = tracker;
    m_owner = owner;
}

LifetimeAssociation::~LifetimeAssociation()
{
    detach();
}

void LifetimeAssociation::cancel()
{
    if (auto tracker = m_wrappedObject.lock()) {
        tracker->m_deinitHandler = nullptr;
    }
    detach();
}

void LifetimeAssociation::detach()
{
    std::shared_ptr<ObjectLifetimeTracker> tracker = m_wrappedObject.lock();
    const QObject *owner = m_owner.data();
    if (!tracker || !owner) {
        return;
    }
    Tracker removed;
    {
        TrackerStore &store = trackerStore();
        std::lock_guard guard(store.mutex);
        const auto found = store.trackersByOwner.find(owner);
        if (found == store.trackersByOwner.end()) {
            return;
        }
        auto &trackers = found->second;
        const auto position = std::find(trackers.begin(), trackers.end(), tracker);
        if (position == trackers.end()) {
            return;
        }
        removed = std::move(*position);
        trackers.erase(position);
    }
    m_owner.clear();
    // Dropping the last two references destroys the tracker here, which runs its handler.
    removed.reset();
    tracker.reset();
}
