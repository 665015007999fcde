#pragma once

#include <chrono>
#include <functional>

namespace TestSupport {

// Runs the GUI thread's event loop until `done` holds or `timeout` passes;
// returns whether `done` held.
bool processEventsUntil(
    const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Runs the event loop for `duration`, delivering everything that is queued.
void processEventsFor(std::chrono::milliseconds duration);

// Runs the event loop until a recorder has `recorded` at least `seconds` of audio; gives up five
// seconds after it should have got there.
bool recordUntil(const std::function<double()> &recorded, double seconds);

} // namespace TestSupport
