#pragma once

#include <memory>

class QObject;

// The handle of a preference observation. Observations are shared objects: the holders of the
// handle keep the observation running, and dropping the last holder stops it.
class DefaultsObservation
{
public:
    virtual ~DefaultsObservation() = default;

    // Stops observing. When it returns, no callback of this observation runs any more on another
    // thread; a callback on the calling thread's own stack finishes normally. Idempotent.
    virtual void invalidate() = 0;

    // Ties the observation to `owner` (not null, std::invalid_argument): the owner keeps it
    // alive, and it stops when the owner is destroyed. Binding again moves the tie to the new
    // owner. Returns the observation itself.
    virtual std::shared_ptr<DefaultsObservation> bindLifetime(QObject *owner) = 0;

    // Undoes the tie; the observation then lives only as long as its other holders.
    virtual void unbindLifetime() = 0;
};
