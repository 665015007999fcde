#pragma once

#include "kit/collections/ObservableObject.h"

#include "platform/events/AnyCancellable.h"

#include <memory>

// What both listen-only observables are: a change announced for every value of a source, the
// values themselves dropped. When the source finishes the object simply never fires again.
class ListenOnlyObservableBase
{
public:
    Events::AnyPublisher<Events::Void> objectWillChange() const
    {
        return m_objectWillChange->eraseToAnyPublisher();
    }

protected:
    explicit ListenOnlyObservableBase(const Events::AnyPublisher<Events::Void> &relayed);

private:
    std::shared_ptr<ObservableObjectPublisher> m_objectWillChange;
    Events::AnyCancellable m_cancellable;
};

// Announces on a later turn of the GUI thread's event loop, whatever thread the source emits on.
class ListenOnlyPublisherObservable : public ListenOnlyObservableBase
{
public:
    explicit ListenOnlyPublisherObservable(const Events::AnyPublisher<Events::Void> &publisher)
        : ListenOnlyObservableBase(publisher.receiveOnMain())
    { }
};

// Announces at once, on the thread the source emits on.
class ListenOnlyPublisherObservable2 : public ListenOnlyObservableBase
{
public:
    explicit ListenOnlyPublisherObservable2(const Events::AnyPublisher<Events::Void> &publisher)
        : ListenOnlyObservableBase(publisher)
    { }
};
