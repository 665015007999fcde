#pragma once

#include "platform/events/Publisher.h"

#include <functional>
#include <utility>

namespace Events {

// A publisher of any kind behind one type. Copies are cheap and share the
// source. A custom publisher is made from its subscribe function, which must
// call a subscriber from one thread at a time and return the cancellable
// that ends that subscription.
template<typename T, typename E = Never>
class AnyPublisher : public Publisher<AnyPublisher<T, E>, T, E>
{
public:
    using SubscribeFunction = std::function<AnyCancellable(Subscriber<T, E>)>;

    explicit AnyPublisher(SubscribeFunction subscribe)
        : m_subscribe(std::make_shared<const SubscribeFunction>(std::move(subscribe)))
    { }

    // Sends nothing; finishes at once when `completeImmediately`, else never.
    static AnyPublisher empty(bool completeImmediately = true)
    {
        return AnyPublisher([completeImmediately](Subscriber<T, E> subscriber) {
            if (completeImmediately) {
                subscriber.receiveCompletion(Completion<E>::finished());
            }
            return AnyCancellable();
        });
    }

    AnyCancellable subscribe(Subscriber<T, E> subscriber) const
    {
        if (!subscriber.receiveCompletion) {
            subscriber.receiveCompletion = [](const Completion<E> &) {};
        }
        return (*m_subscribe)(std::move(subscriber));
    }

    AnyPublisher eraseToAnyPublisher() const { return *this; }

private:
    std::shared_ptr<const SubscribeFunction> m_subscribe;
};

} // namespace Events
