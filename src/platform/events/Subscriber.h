#pragma once

#include "platform/events/Completion.h"

#include <functional>

namespace Events {

// What a publisher calls: every value, then at most one completion. A publisher
// calls one subscriber from one thread at a time.
template<typename T, typename E>
struct Subscriber
{
    std::function<void(const T &)> receiveValue;
    std::function<void(const Completion<E> &)> receiveCompletion;
};

} // namespace Events
