#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/SubjectCore.h"

#include <concepts>
#include <memory>
#include <utility>

namespace Events {

// What both subjects share: thread-safe sends, a completion that ends the
// subject, subscription. Publishers taken from a subject keep its state alive.
template<typename T, typename E>
class Subject : public Publisher<Subject<T, E>, T, E>
{
public:
    Subject(const Subject &) = delete;
    Subject &operator=(const Subject &) = delete;

    void send(T value) { m_core->sendValue(std::move(value)); }
    void send() requires std::same_as<T, Void> { send(Void {}); }
    // After the first completion every further send is ignored, and a new
    // subscriber receives that completion alone.
    void send(Completion<E> completion) { m_core->sendCompletion(std::move(completion)); }

    AnyCancellable subscribe(Subscriber<T, E> subscriber) const
    {
        return m_core->subscribe(std::move(subscriber));
    }

    AnyPublisher<T, E> eraseToAnyPublisher() const
    {
        return AnyPublisher<T, E>(
            [core = m_core](Subscriber<T, E> subscriber) { return core->subscribe(std::move(subscriber)); });
    }

protected:
    explicit Subject(std::shared_ptr<SubjectCore<T, E>> core)
        : m_core(std::move(core))
    { }
    ~Subject() = default;

    const SubjectCore<T, E> &core() const { return *m_core; }

private:
    std::shared_ptr<SubjectCore<T, E>> m_core;
};

} // namespace Events
