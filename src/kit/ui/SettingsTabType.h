#pragma once

#include "kit/ui/Label.h"

#include <array>

// The kinds of settings panes, in a fixed order that the label lookup relies on.
enum class SettingsTabType {
    general,
    advanced,
    shortcuts,
    appearance,
    menuBar,
    menu,
    notifications,
    calendar,
    calendars,
    rules,
    browsers,
    timeZones,
    extras,
    exclude,
};

namespace SettingsTab {

struct Entry
{
    const char *title;
    const char *symbol;
};

inline constexpr std::array<Entry, 14> entries { {
    { "General", "gearshape" },
    { "Advanced", "gearshape.2" },
    // A keyboard, not the Command sign: no key of a PC keyboard carries that sign.
    { "Shortcuts", "keyboard" },
    { "Appearance", "paintbrush.pointed" },
    { "Menu Bar", "menubar.rectangle" },
    { "Menu", "filemenu.and.selection" },
    { "Notifications", "bell.badge" },
    { "Calendar", "calendar" },
    { "Calendars", "calendar" },
    { "Rules", "arrow.triangle.branch" },
    { "Browsers", "globe" },
    { "Time Zones", "globe" },
    { "Extras", "sparkles" },
    { "Exclude", "nosign" },
} };

// The pane's translated title and its symbol (no icon when the symbol cannot be drawn).
Label label(SettingsTabType type);
QString symbolName(SettingsTabType type);

} // namespace SettingsTab
