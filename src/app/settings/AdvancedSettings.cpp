#include "app/settings/AdvancedSettings.h"

#include "app/settings/DefaultOutputDirectorySetting.h"
#include "app/settings/FilenamePrefixSetting.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"

QWidget *makeAdvancedSettings()
{
    auto *output = new SettingsSection;
    output->addRow(SettingsTexts::defaultOutputDirectory, new DefaultOutputDirectorySetting);
    auto *naming = new SettingsSection;
    naming->addRow(SettingsTexts::filenamePrefix, new FilenamePrefixSetting);
    return settingsPage({ output, naming });
}
