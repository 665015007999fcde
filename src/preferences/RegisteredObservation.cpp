#include "preferences/RegisteredObservation.h"

#include "kit/collections/LifetimeAssociation.h"
#include "platform/userdefaults/UserDefaults.h"
#include "preferences/DefaultsPropagation.h"

#include <QObject>

#include <algorithm>
#include <condition_variable>
#include <thread>
#include <utility>

namespace Defaults::Detail {

// The gate between the databases' notifications and the callback. Once closed, no callback
// starts, and closing waits for those under way on other threads.
class RegisteredObservation::Delivery
{
public:
    struct Registration
    {
        std::weak_ptr<UserDefaults> suite;
        KeyValueObserverId id = 0;
    };

    explicit Delivery(Callback callback)
        : m_callback(std::move(callback))
    { }

    void deliver(const KeyValueChange &change)
    {
        if (isUpdatingValuesOnCurrentThread()) {
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            if (!m_open) {
                return;
            }
            m_deliveringThreads.push_back(std::this_thread::get_id());
        }
        struct Leave
        {
            Delivery &delivery;
            ~Leave() { delivery.leave(); }
        } leave { *this };
        m_callback(BaseChange::from(change));
    }

    // False when the observation was started before or has been closed.
    bool beginStart()
    {
        std::lock_guard lock(m_mutex);
        return m_open && !std::exchange(m_started, true);
    }

    // Keeps a registration made by start(); one that raced with close() is handed back to be
    // removed at once.
    bool keep(Registration registration)
    {
        std::lock_guard lock(m_mutex);
        if (!m_open) {
            return false;
        }
        m_registrations.push_back(std::move(registration));
        return true;
    }

    // Closes the gate once; returns the registrations to remove, none on later calls.
    std::vector<Registration> close(bool &wasOpen)
    {
        std::lock_guard lock(m_mutex);
        wasOpen = std::exchange(m_open, false);
        return std::exchange(m_registrations, {});
    }

    void waitForOtherThreads()
    {
        const auto self = std::this_thread::get_id();
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [&] {
            return std::all_of(m_deliveringThreads.begin(), m_deliveringThreads.end(),
                [&](std::thread::id thread) { return thread == self; });
        });
    }

    bool isObserving() const
    {
        std::lock_guard lock(m_mutex);
        return m_open && m_started;
    }

private:
    void leave()
    {
        std::lock_guard lock(m_mutex);
        const auto found
            = std::find(m_deliveringThreads.begin(), m_deliveringThreads.end(), std::this_thread::get_id());
        if (found != m_deliveringThreads.end()) {
            m_deliveringThreads.erase(found);
        }
        m_idle.notify_all();
    }

    const Callback m_callback;
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    bool m_open = true;
    bool m_started = false;
    std::vector<Registration> m_registrations;
    // One entry per callback under way; a thread appears several times when callbacks nest.
    std::vector<std::thread::id> m_deliveringThreads;
};

RegisteredObservation::RegisteredObservation(std::vector<Target> targets, Callback callback)
    : m_targets(std::move(targets))
    , m_delivery(std::make_shared<Delivery>(std::move(callback)))
{ }

RegisteredObservation::~RegisteredObservation()
{
    stop();
}

void RegisteredObservation::start(KeyValueObservingOptions options)
{
    if (!m_delivery->beginStart()) {
        return;
    }
    for (const Target &target : m_targets) {
        const std::shared_ptr<UserDefaults> suite = target.suite.lock();
        if (!suite) {
            continue;
        }
        const KeyValueObserverId id = suite->addObserver(target.key, options,
            [delivery = m_delivery](const KeyValueChange &change) { delivery->deliver(change); });
        if (!m_delivery->keep({ suite, id })) {
            // Invalidated meanwhile, possibly by the initial callback itself.
            suite->removeObserver(id);
        }
    }
}

bool RegisteredObservation::isObserving() const
{
    return m_delivery->isObserving();
}

void RegisteredObservation::invalidate()
{
    // Cutting the tie may release the owner's reference; stay alive until done.
    const std::shared_ptr<RegisteredObservation> self = weak_from_this().lock();
    stop();
}

void RegisteredObservation::stop()
{
    bool wasOpen = false;
    for (const Delivery::Registration &registration : m_delivery->close(wasOpen)) {
        if (const std::shared_ptr<UserDefaults> suite = registration.suite.lock()) {
            suite->removeObserver(registration.id);
        }
    }
    if (wasOpen) {
        m_delivery->waitForOtherThreads();
    }
    std::lock_guard lock(m_tieMutex);
    if (m_tie) {
        m_tie->cancel();
    }
}

std::shared_ptr<DefaultsObservation> RegisteredObservation::bindLifetime(QObject *owner)
{
    const std::shared_ptr<RegisteredObservation> self = shared_from_this();
    const std::weak_ptr<RegisteredObservation> weakSelf = self;
    auto tie = std::make_unique<LifetimeAssociation>(self, owner, [weakSelf] {
        if (const std::shared_ptr<RegisteredObservation> observation = weakSelf.lock()) {
            observation->invalidate();
        }
    });
    std::unique_ptr<LifetimeAssociation> previous;
    {
        std::lock_guard lock(m_tieMutex);
        previous = std::exchange(m_tie, std::move(tie));
    }
    // Cancelled rather than just released, which would run its handler and end the observation.
    if (previous) {
        previous->cancel();
    }
    return self;
}

void RegisteredObservation::unbindLifetime()
{
    // The owner may hold the last reference; it is released when this returns.
    const std::shared_ptr<RegisteredObservation> self = weak_from_this().lock();
    std::lock_guard lock(m_tieMutex);
    if (m_tie) {
        m_tie->cancel();
    }
}

} // namespace Defaults::Detail
