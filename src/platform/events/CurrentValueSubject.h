#pragma once

#include "platform/events/Subject.h"

#include <memory>
#include <utility>

namespace Events {

// A subject that holds its latest value and gives it to every new subscriber
// at once (once the subject is idle, see SubjectCore), then each later value.
template<typename T, typename E = Never>
class CurrentValueSubject : public Subject<T, E>
{
public:
    explicit CurrentValueSubject(T initial)
        : Subject<T, E>(std::make_shared<SubjectCore<T, E>>(std::move(initial)))
    { }

    // The latest value sent (thread-safe); it stays after a completion.
    T value() const { return *this->core().current(); }
};

} // namespace Events
