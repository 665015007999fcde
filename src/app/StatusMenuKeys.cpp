#include "app/StatusMenuKeys.h"

#include "kit/services/CallbackMenuItem.h"
#include "kit/services/MenuItems.h"

namespace StatusMenuKeys {

QKeySequence settings()
{
    return CallbackMenuItem::shortcutFor(QStringLiteral(","), std::nullopt);
}

std::vector<QKeySequence> all()
{
    return { settings(), quitItemKeys() };
}

} // namespace StatusMenuKeys
