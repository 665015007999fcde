#pragma once

#include "platform/userdefaults/KeyValueChange.h"
#include "preferences/BaseChange.h"
#include "preferences/DefaultsObservation.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class LifetimeAssociation;
class UserDefaults;

namespace Defaults::Detail {

// What both observation kinds share: registrations with one or more databases, the callback
// behind them, the tie to an owner, and stopping exactly once.
class RegisteredObservation : public DefaultsObservation,
                              public std::enable_shared_from_this<RegisteredObservation>
{
public:
    using Callback = std::function<void(const BaseChange &)>;

    // A database is held weakly: observing never keeps a suite alive.
    struct Target
    {
        std::weak_ptr<UserDefaults> suite;
        std::string key;
    };

    ~RegisteredObservation() override;
    RegisteredObservation(const RegisteredObservation &) = delete;
    RegisteredObservation &operator=(const RegisteredObservation &) = delete;

    void invalidate() final;
    std::shared_ptr<DefaultsObservation> bindLifetime(QObject *owner) final;
    void unbindLifetime() final;

    // Registers every target whose database still exists; the first call only. With the
    // Initial option the callback runs before this returns.
    void start(KeyValueObservingOptions options);

    // Started and not invalidated.
    bool isObserving() const;

protected:
    RegisteredObservation(std::vector<Target> targets, Callback callback);

private:
    class Delivery;

    void stop();

    const std::vector<Target> m_targets;
    // Shared with the databases' observer entries, which may still be running on other
    // threads while this object goes away.
    const std::shared_ptr<Delivery> m_delivery;

    std::mutex m_tieMutex;
    std::unique_ptr<LifetimeAssociation> m_tie;
};

} // namespace Defaults::Detail
