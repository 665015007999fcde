#pragma once

#include "kit/foundation/objects/ObjectAssociation.h"

#include "platform/events/CancellableSet.h"

// The subscriptions kept by a menu item (or any object), so each lives exactly as long as it.
ObjectAssociation<Events::CancellableSet> &cancellablesAssociation();

// Adds a subscription to the object's set.
void keepCancellable(QObject *object, Events::AnyCancellable cancellable);
