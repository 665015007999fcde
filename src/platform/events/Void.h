#pragma once

namespace Events {

// The value of a publisher whose values carry nothing but the fact that
// something happened.
struct Void
{
    bool operator==(const Void &) const = default;
};

} // namespace Events
