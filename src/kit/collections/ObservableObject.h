#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/PassthroughSubject.h"
#include "platform/events/Void.h"

#include <concepts>

// What an observable object announces before it changes: an empty value per change.
using ObservableObjectPublisher = Events::PassthroughSubject<Events::Void>;

// An object whose `objectWillChange()` publisher fires before each change of its state, so that
// whoever shows the state draws it again.
template<typename T>
concept ObservableObject = requires(const T &object)
{
    {
        object.objectWillChange()
        } -> std::convertible_to<Events::AnyPublisher<Events::Void>>;
};
