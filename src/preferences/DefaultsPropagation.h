#pragma once

#include <functional>

namespace Defaults {

// True while the current thread runs inside withoutPropagation(): every observation (callbacks,
// publishers, update streams, observable objects) then ignores notifications delivered on it.
bool isUpdatingValuesOnCurrentThread();

// Runs `closure` at once with this thread's notifications silenced. Values written inside are
// stored as usual; other threads and other processes still see their changes. The previous
// state comes back afterwards, also when the closure throws, so a nested call keeps the outer
// block silent.
void withoutPropagation(const std::function<void()> &closure);

} // namespace Defaults
