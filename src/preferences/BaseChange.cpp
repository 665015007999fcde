#include "preferences/BaseChange.h"

namespace Defaults {

BaseChange BaseChange::from(const KeyValueChange &change)
{
    return BaseChange { change.kind, change.isPrior, change.newValue, change.oldValue };
}

} // namespace Defaults
