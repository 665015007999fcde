#include "app/settings/AppearanceSettings.h"

#include "app/SettingsKeys.h"
#include "app/settings/MenuBarIconSetting.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"
#include "preferences/DefaultsToggle.h"

QWidget *makeAppearanceSettings()
{
    auto *rows = new SettingsSection;
    rows->addRow(SettingsTexts::trayIcon, makeMenuBarIconPicker());
    rows->addRow(
        new Defaults::Toggle(SettingsTexts::dimTrayIcon, SettingsKeys::dimMenuBarIconWhenNotRecording()));
    auto *duration = new Defaults::Toggle(SettingsTexts::showDuration, SettingsKeys::showDurationInMenuBar());
    duration->setToolTip(SettingsTexts::showDurationHelp);
    rows->addRow(duration);
    return settingsPage({ rows });
}
