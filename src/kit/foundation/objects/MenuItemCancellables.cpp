#include "kit/foundation/objects/MenuItemCancellables.h"

ObjectAssociation<Events::CancellableSet> &cancellablesAssociation()
{
    static auto *association
        = new ObjectAssociation<Events::CancellableSet>({}, AssociationPolicy::retainNonatomic);
    return *association;
}

void keepCancellable(QObject *object, Events::AnyCancellable cancellable)
{
    cancellablesAssociation().modify(
        object, [&](Events::CancellableSet &set) { set.insert(std::move(cancellable)); });
}
