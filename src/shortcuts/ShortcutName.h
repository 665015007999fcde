#pragma once

#include "shortcuts/Shortcut.h"

#include <functional>
#include <optional>
#include <string>

namespace KeyboardShortcuts {

// The identity of a user-assignable global shortcut. Two names are the same
// name when their raw values are equal, whatever default they were given.
class Name
{
public:
    explicit Name(std::string rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    const std::string &rawValue() const { return m_rawValue; }
    const std::optional<Shortcut> &defaultShortcut() const { return m_defaultShortcut; }

    // The preference under which the shortcut recorded for this name is kept.
    std::string userDefaultsKey() const;

    friend bool operator==(const Name &lhs, const Name &rhs) { return lhs.m_rawValue == rhs.m_rawValue; }

private:
    std::string m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

} // namespace KeyboardShortcuts

template<>
struct std::hash<KeyboardShortcuts::Name>
{
    std::size_t operator()(const KeyboardShortcuts::Name &name) const noexcept
    {
        return std::hash<std::string>()(name.rawValue());
    }
};
