#pragma once

#include "platform/events/AnyCancellable.h"

#include <functional>
#include <type_traits>
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

    // The subscription to outside changes, or an empty one when the binding cannot tell.
    Events::AnyCancellable watch(std::function<void()> changed) const
    {
        return observe ? observe(std::move(changed)) : Events::AnyCancellable();
    }

    // A binding over a variable that outlives it; for tests and local state.
    static Binding over(T &storage)
    {
        return { [&storage] { return storage; }, [&storage](const T &value) { storage = value; }, {} };
    }
};

// A binding over any accessor with value() and setValue(), such as a preference's
// accessor. When the accessor has a publisher() of its changes, the binding tells
// about them on the GUI thread, where controls live.
template<typename Accessor>
requires requires(const Accessor &accessor)
{
    accessor.setValue(accessor.value());
}
auto bindingFrom(Accessor accessor)
{
    using T = std::decay_t<decltype(accessor.value())>;
    Binding<T> binding { [accessor] { return accessor.value(); },
        [accessor](const T &value) { accessor.setValue(value); }, {} };
    if constexpr (requires { accessor.publisher().receiveOnMain(); }) {
        binding.observe = [accessor](std::function<void()> changed) {
            return accessor.publisher().receiveOnMain().sink([changed](const auto &) { changed(); });
        };
    }
    return binding;
}
