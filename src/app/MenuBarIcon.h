#pragma once

#include "preferences/RawRepresentable.h"

#include <QIcon>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// The style of the status-bar icon; stored by its raw value, the case name.
enum class MenuBarIcon { microphone, circle, record, record2, record3, waveform, waveform2 };

namespace MenuBarIcons {

inline constexpr std::array<MenuBarIcon, 7> allCases { MenuBarIcon::microphone, MenuBarIcon::circle,
    MenuBarIcon::record, MenuBarIcon::record2, MenuBarIcon::record3, MenuBarIcon::waveform,
    MenuBarIcon::waveform2 };

std::string rawValue(MenuBarIcon icon);
// Exactly a case name, letter case included; anything else is none.
std::optional<MenuBarIcon> fromRawValue(const std::string &raw);

// Built on first request and the same icon on every later one; a template
// (mask) icon, drawn in the panel's text colour unless tinted. Its name (QIcon::name) is
// themeName: panels that take icons by name draw that one in their own colours.
const QIcon &image(MenuBarIcon icon);

// The name of the image's drawing in the program's icon theme, a symbolic icon.
QString themeName(MenuBarIcon icon);
// The folder of that icon theme from the program's folder: beside the program in the build,
// in the data folder when installed; empty when neither has it (the desktop's own theme
// folders may).
QString themePath(const QString &programDirectory);

} // namespace MenuBarIcons

template<>
struct RawRepresentation<MenuBarIcon>
{
    using RawValue = std::string;
    static std::string rawValue(MenuBarIcon icon) { return MenuBarIcons::rawValue(icon); }
    static std::optional<MenuBarIcon> fromRawValue(const std::string &raw)
    {
        return MenuBarIcons::fromRawValue(raw);
    }
};

template<>
struct std::hash<MenuBarIcon>
{
    std::size_t operator()(MenuBarIcon icon) const noexcept
    {
        return std::hash<std::string>()(MenuBarIcons::rawValue(icon));
    }
};
