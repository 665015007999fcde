#include "preferences/DefaultsPublishers.h"

#include "preferences/UserDefaultsKeyObservation.h"

namespace Defaults {

Events::AnyPublisher<BaseChange> changesPublisher(
    const std::shared_ptr<UserDefaults> &suite, const std::string &key, const ObservationOptions &options)
{
    const std::weak_ptr<UserDefaults> weakSuite = suite;
    return Events::AnyPublisher<BaseChange>([weakSuite, key, options](
                                                Events::Subscriber<BaseChange, Events::Never> subscriber) {
        const std::shared_ptr<UserDefaults> suite = weakSuite.lock();
        if (!suite) {
            return Events::AnyCancellable();
        }
        auto observation = UserDefaultsKeyObservation::create(suite, key,
            [receive = std::move(subscriber.receiveValue)](const BaseChange &change) { receive(change); });
        observation->start(options);
        return Events::AnyCancellable([observation] { observation->invalidate(); });
    });
}

Events::AnyPublisher<Events::Void> publisher(
    const std::vector<std::reference_wrapper<const Keys>> &keys, const ObservationOptions &options)
{
    auto merged = Events::AnyPublisher<Events::Void>::empty(false);
    for (const Keys &key : keys) {
        merged = merged.merge(changesPublisher(key.suite(), key.name(), options).map([](const BaseChange &) {
            return Events::Void {};
        }));
    }
    return merged;
}

} // namespace Defaults
