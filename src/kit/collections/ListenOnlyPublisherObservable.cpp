#include "kit/collections/ListenOnlyPublisherObservable.h"

ListenOnlyObservableBase::ListenOnlyObservableBase(const Events::AnyPublisher<Events::Void> &relayed)
    : m_objectWillChange(std::make_shared<ObservableObjectPublisher>())
    // Held weakly: a value still on its way after the object has gone is dropped.
    , m_cancellable(relayed.sink([weak = std::weak_ptr<ObservableObjectPublisher>(m_objectWillChange)] {
        if (const auto objectWillChange = weak.lock()) {
            objectWillChange->send();
        }
    }))
{ }
