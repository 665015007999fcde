#include "shortcuts/ShortcutNotifications.h"

namespace KeyboardShortcuts {

ShortcutNotifications &ShortcutNotifications::shared()
{
    static ShortcutNotifications instance;
    return instance;
}

} // namespace KeyboardShortcuts
