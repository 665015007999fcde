#include "shortcuts/ShortcutName.h"

#include <utility>

namespace KeyboardShortcuts {

Name::Name(std::string rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(std::move(rawValue))
    , m_defaultShortcut(defaultShortcut)
{ }

std::string Name::userDefaultsKey() const
{
    return "KeyboardShortcuts_" + m_rawValue;
}

} // namespace KeyboardShortcuts
