#include "app/settings/MenuBarIconSetting.h"

#include "app/SettingsKeys.h"
#include "app/settings/SettingsTexts.h"
#include "preferences/DefaultAccessor.h"

QString menuBarIconTitle(MenuBarIcon icon)
{
    switch (icon) {
    case MenuBarIcon::microphone:
        return SettingsTexts::iconMicrophone;
    case MenuBarIcon::circle:
        return SettingsTexts::iconCircle;
    case MenuBarIcon::record:
        return SettingsTexts::iconRecord;
    case MenuBarIcon::record2:
        return SettingsTexts::iconRecord2;
    case MenuBarIcon::record3:
        return SettingsTexts::iconRecord3;
    case MenuBarIcon::waveform:
        return SettingsTexts::iconWaveform;
    case MenuBarIcon::waveform2:
        return SettingsTexts::iconWaveform2;
    }
    return {};
}

EnumPicker<MenuBarIcon> *makeMenuBarIconPicker()
{
    const std::vector<MenuBarIcon> cases(MenuBarIcons::allCases.begin(), MenuBarIcons::allCases.end());
    auto *picker = new EnumPicker<MenuBarIcon>(
        bindingFrom(Default(SettingsKeys::menuBarIcon())), cases,
        [](const MenuBarIcon &icon) {
            return Label { menuBarIconTitle(icon), MenuBarIcons::image(icon) };
        },
        SettingsTexts::trayIcon);
    picker->setIconOnly(true);
    return picker;
}
