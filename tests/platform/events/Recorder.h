#pragma once

#include "platform/events/AnyCancellable.h"
#include "platform/events/Completion.h"

#include <string>
#include <vector>

namespace EventsTest {

struct Failure
{
    std::string reason;
};

// Records what one subscriber received, in order.
template<typename T, typename E>
struct Recorder
{
    std::vector<T> values;
    std::vector<Events::Completion<E>> completions;

    Events::AnyCancellable attach(const auto &publisher)
    {
        return publisher.sink(
            [this](const Events::Completion<E> &completion) { completions.push_back(completion); },
            [this](const T &value) { values.push_back(value); });
    }
};

} // namespace EventsTest
