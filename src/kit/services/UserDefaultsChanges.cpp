#include "kit/services/UserDefaultsChanges.h"

#include "platform/userdefaults/UserDefaults.h"

Events::AnyPublisher<Events::Void> userDefaultsDidChangePublisher()
{
    static const Events::AnyPublisher<Events::Void> publisher
        = userDefaultsDidChangePublisher(UserDefaults::standard());
    return publisher;
}

Events::AnyPublisher<Events::Void> userDefaultsDidChangePublisher(std::shared_ptr<UserDefaults> database)
{
    return Events::AnyPublisher<Events::Void>(
        [database](Events::Subscriber<Events::Void, Events::Never> subscriber) {
            const KeyValueObserverId id = database->addChangeObserver(
                [receive = subscriber.receiveValue] { receive(Events::Void {}); });
            std::weak_ptr<UserDefaults> weakDatabase = database;
            return Events::AnyCancellable([weakDatabase, id] {
                if (const auto strong = weakDatabase.lock()) {
                    strong->removeObserver(id);
                }
            });
        });
}
