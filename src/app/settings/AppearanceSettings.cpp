#include "app/settings/AppearanceSettings.h"

#include "app/SettingsKeys.h"
#include "app/settings/DurationSetting.h"
#include "app/settings/MenuBarIconSetting.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"
#include "preferences/DefaultsToggle.h"

QWidget *makeAppearanceSettings(std::optional<Events::AnyPublisher<bool>> trayShowsLabel)
{
    auto *rows = new SettingsSection;
    rows->addRow(SettingsTexts::trayIcon, makeMenuBarIconPicker());
    rows->addRow(
        new Defaults::Toggle(SettingsTexts::dimTrayIcon, SettingsKeys::dimMenuBarIconWhenNotRecording()));
    rows->addRow(new DurationSetting(std::move(trayShowsLabel)));
    return settingsPage({ rows });
}
