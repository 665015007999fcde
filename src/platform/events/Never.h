#pragma once

namespace Events {

// The failure type of a publisher that cannot fail: it has no values, so a
// failure completion of such a publisher cannot even be written.
struct Never
{
    Never() = delete;
};

} // namespace Events
