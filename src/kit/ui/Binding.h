#pragma once

#include "platform/events/AnyCancellable.h"

#include <functional>
#include <utility>

// A value that a control reads and writes but does not own: a preference accessor,
// a model field. `observe`, when given, tells the control about changes made
// elsewhere; it returns the subscription that ends the telling.
template<typename T>
struct Binding
{
    using Observe = std::function<Events::AnyCancellable(std::function<void()> changed)>;

    std::function<T()> get;
    std::function<void(const T &)> set;
    Observe observe;

    T value() const { return get(); }
    void setValue(const T &value) const { set(value); }

    // A binding over a variable that outlives it; for tests and local state.
    static Binding over(T &storage)
    {
        return { [&storage] { return storage; }, [&storage](const T &value) { storage = value; }, {} };
    }
};
