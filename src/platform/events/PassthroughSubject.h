#pragma once

#include "platform/events/Subject.h"

#include <memory>

namespace Events {

// Broadcasts each value sent to the subscribers present at that moment; see
// SubjectCore for the order of nested and concurrent sends.
template<typename T, typename E = Never>
class PassthroughSubject : public Subject<T, E>
{
public:
    PassthroughSubject()
        : Subject<T, E>(std::make_shared<SubjectCore<T, E>>())
    { }
};

} // namespace Events
